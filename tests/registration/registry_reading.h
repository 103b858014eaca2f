// Reading the in-process registry back in tests, with ASCII key paths.
#ifndef DRAVIK_TESTS_REGISTRY_READING_H
#define DRAVIK_TESTS_REGISTRY_READING_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// "CLSID\{...}" for a class.
std::string ClsidKeyPath(REFCLSID clsid);
std::string ClsidText(REFCLSID clsid);

bool KeyExists(const std::string& path);
// Creates the key (and those above it) under HKEY_CLASSES_ROOT, with a default value.
void CreateKeyWithValue(const std::string& path, const std::string& value);
// The subkey names directly beneath the key, in enumeration order.
std::vector<std::string> SubkeyNames(const std::string& path);

// A string value as stored; valueName null for the default value.
struct StoredString {
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    DWORD byteLength = 0;
    std::string text;
};
StoredString ReadString(const std::string& path, const char* valueName);

// Every test starts with an empty registry and fresh mappers, and must close
// every key and release every mapper it or the code under test opened.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

#endif
