// Deleting a key with everything beneath it, including keys that refuse.
#include <gtest/gtest.h>

#include "module/registration.h"
#include "platform_registry.h"
#include "tests/registration/registry_reading.h"
#include "tests/support/wide_text.h"

namespace {

using DeleteKeyTreeTest = RegistryTest;

TEST_F(DeleteKeyTreeTest, DeletesEverythingBeneathAndNothingBeside) {
    CreateKeyWithValue("Top\\Target\\A\\A1\\A11", "1");
    CreateKeyWithValue("Top\\Target\\A\\A2", "2");
    CreateKeyWithValue("Top\\Target\\B", "3");
    CreateKeyWithValue("Top\\Target", "4");
    CreateKeyWithValue("Top\\Targets", "beside");
    CreateKeyWithValue("Top\\Target2\\Child", "beside");

    EXPECT_EQ(S_OK, DeleteKeyTree(HKEY_CLASSES_ROOT, Widen("Top\\Target").data()));
    EXPECT_FALSE(KeyExists("Top\\Target"));
    EXPECT_EQ((std::vector<std::string>{"Target2", "Targets"}), SubkeyNames("Top"));
    EXPECT_EQ("beside", ReadString("Top\\Target2\\Child", nullptr).text);
}

TEST_F(DeleteKeyTreeTest, WorksBelowAnOpenParent) {
    CreateKeyWithValue("Parent\\Child\\Grandchild", "x");
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen("Parent").data(), 0, KEY_ALL_ACCESS, &parent));
    EXPECT_EQ(S_OK, DeleteKeyTree(parent, Widen("Child").data()));
    RegCloseKey(parent);
    EXPECT_TRUE(SubkeyNames("Parent").empty());
}

TEST_F(DeleteKeyTreeTest, MissingKeyIsSuccessAndBadNamesAreRefused) {
    EXPECT_EQ(S_OK, DeleteKeyTree(HKEY_CLASSES_ROOT, Widen("Nowhere\\Nothing").data()));
    CreateKeyWithValue("Kept", "k");
    EXPECT_EQ(E_FAIL, DeleteKeyTree(HKEY_CLASSES_ROOT, Widen("").data()));
    EXPECT_EQ(E_POINTER, DeleteKeyTree(HKEY_CLASSES_ROOT, nullptr));
    EXPECT_TRUE(KeyExists("Kept"));
}

TEST_F(DeleteKeyTreeTest, RefusingSubkeyEndsTheWalkWithItsFailure) {
    CreateKeyWithValue("Tree\\A", "a");
    CreateKeyWithValue("Tree\\B", "b");
    CreateKeyWithValue("Tree\\C", "c");
    PlatformRegistryRefuse(Widen("Tree\\A").data(), PLATFORM_REGISTRY_REFUSE_DELETE);

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), DeleteKeyTree(HKEY_CLASSES_ROOT, Widen("Tree").data()));
    // The others beside the refusing key are gone; it and its parent stay.
    EXPECT_EQ(std::vector<std::string>{"A"}, SubkeyNames("Tree"));
    EXPECT_EQ("a", ReadString("Tree\\A", nullptr).text);
}

TEST_F(DeleteKeyTreeTest, RefusalDeepDownKeepsTheKeysAboveIt) {
    CreateKeyWithValue("Deep\\Middle\\Refusing\\Below", "x");
    CreateKeyWithValue("Deep\\Other", "y");
    PlatformRegistryRefuse(Widen("deep\\middle\\refusing").data(), PLATFORM_REGISTRY_REFUSE_DELETE);

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), DeleteKeyTree(HKEY_CLASSES_ROOT, Widen("Deep").data()));
    EXPECT_TRUE(KeyExists("Deep\\Middle\\Refusing"));
    EXPECT_FALSE(KeyExists("Deep\\Middle\\Refusing\\Below"));
    EXPECT_FALSE(KeyExists("Deep\\Other"));
}

}  // namespace
