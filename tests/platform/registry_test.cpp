// The in-process registry answers as the platform's does where the module's
// registration depends on it.
#include <gtest/gtest.h>

#include "platform_registry.h"
#include "tests/support/wide_text.h"

namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { PlatformRegistryReset(); }
    void TearDown() override { EXPECT_EQ(0, PlatformRegistryOpenHandleCount()); }

    HKEY Create(const char* path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CLASSES_ROOT, Widen(path).data(), &key));
        return key;
    }
    LSTATUS Open(const char* path, HKEY* key) {
        return RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(path).data(), 0, KEY_READ, key);
    }
};

TEST_F(RegistryTest, NamesIgnoreCaseAndEnumerateInOrder) {
    RegCloseKey(Create("Root\\beta"));
    RegCloseKey(Create("ROOT\\Alpha\\Deep"));
    RegCloseKey(Create("root\\Gamma"));
    HKEY root = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open("rOOt", &root));
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        WCHAR name[16];
        DWORD size = 16;
        const LSTATUS status = RegEnumKeyExW(root, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(ERROR_SUCCESS, status);
        EXPECT_EQ(static_cast<DWORD>(lstrlenW(name)), size);
        names.push_back(Narrow(name));
    }
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "Gamma"}), names);
    // A name that does not fit with its terminator is refused.
    WCHAR small[5];
    DWORD size = 5;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(root, 0, small, &size, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(root);
}

TEST_F(RegistryTest, ValuesAnswerSizesAndShortBuffers) {
    HKEY key = Create("Values");
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueW(key, nullptr, REG_SZ, Widen("default").data(), 0));
    const BYTE bytes[] = {1, 2, 3};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, Widen("Binary").data(), 0, REG_BINARY, bytes, 3));
    DWORD type = REG_NONE;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(8 * sizeof(WCHAR), size);
    BYTE buffer[2];
    size = sizeof(buffer);
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, Widen("binary").data(), nullptr, &type, buffer, &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, Widen("Missing").data(), nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, nullptr, nullptr, nullptr, buffer, nullptr));
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletionNeedsALeafAndLeavesStaleHandles) {
    HKEY leaf = Create("Parent\\Leaf");
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Parent").data()));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Parent\\Leaf").data()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Parent\\Leaf").data()));
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExW(leaf, nullptr, 0, REG_SZ, nullptr, 0));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(leaf));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(leaf));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Parent").data()));
}

TEST_F(RegistryTest, RefusalsHoldUntilReset) {
    PlatformRegistryRefuse(Widen("Guarded\\Inner").data(), PLATFORM_REGISTRY_REFUSE_CREATE);
    PlatformRegistryRefuse(Widen("Guarded").data(), PLATFORM_REGISTRY_REFUSE_DELETE | PLATFORM_REGISTRY_REFUSE_SET_VALUE);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyW(HKEY_CLASSES_ROOT, Widen("guarded\\inner\\more").data(), &key));
    EXPECT_EQ(nullptr, key);
    key = Create("Guarded");
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueW(key, nullptr, REG_SZ, Widen("x").data(), 0));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Guarded").data()));

    PlatformRegistryReset();
    HKEY missing = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Guarded", &missing));
    RegCloseKey(Create("Guarded\\Inner"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen("Guarded\\Inner").data()));
}

}  // namespace
