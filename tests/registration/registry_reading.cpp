#include "tests/registration/registry_reading.h"

#include "platform_mapper.h"
#include "platform_registry.h"
#include "tests/support/wide_text.h"

std::string ClsidText(REFCLSID clsid) {
    WCHAR text[39];
    EXPECT_EQ(39, StringFromGUID2(clsid, text, 39));
    return Narrow(text);
}

std::string ClsidKeyPath(REFCLSID clsid) { return "CLSID\\" + ClsidText(clsid); }

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(path).data(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void CreateKeyWithValue(const std::string& path, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CLASSES_ROOT, Widen(path).data(), &key));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueW(key, nullptr, REG_SZ, Widen(value).data(), 0));
    RegCloseKey(key);
}

std::vector<std::string> SubkeyNames(const std::string& path) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(path).data(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD index = 0;; ++index) {
        WCHAR name[MAX_PATH];
        DWORD size = MAX_PATH;
        if (RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(Narrow(name));
    }
    RegCloseKey(key);
    return names;
}

StoredString ReadString(const std::string& path, const char* valueName) {
    StoredString stored;
    HKEY key = nullptr;
    stored.status = RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(path).data(), 0, KEY_READ, &key);
    if (stored.status != ERROR_SUCCESS) return stored;
    WCHAR text[1024] = {};
    DWORD size = sizeof(text) - sizeof(WCHAR);
    const std::vector<WCHAR> name = Widen(valueName != nullptr ? valueName : "");
    stored.status = RegQueryValueExW(key, valueName != nullptr ? name.data() : nullptr, nullptr, &stored.type,
                                     reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (stored.status == ERROR_SUCCESS) {
        stored.byteLength = size;
        stored.text = Narrow(text);
    }
    return stored;
}

void RegistryTest::SetUp() {
    PlatformRegistryReset();
    PlatformMapperReset();
}

void RegistryTest::TearDown() {
    EXPECT_EQ(0, PlatformRegistryOpenHandleCount()) << "registry keys left open";
    EXPECT_EQ(0, PlatformMapperLiveCount()) << "filter mappers not released";
}
