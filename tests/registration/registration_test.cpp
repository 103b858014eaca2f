// DllRegisterServer and DllUnregisterServer against the in-process registry
// and the filter mappers of both generations.
#include <gtest/gtest.h>

#include <dshow.h>
#include <limits.h>
#include <unistd.h>

#include "dravik/dravik.h"
#include "module/module_state.h"
#include "platform_mapper.h"
#include "platform_registry.h"
#include "tests/registration/registry_reading.h"
#include "tests/support/wide_text.h"

STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();

namespace {

const HRESULT kAccessDenied = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
const HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

struct Row {
    const CLSID* clsid;
    const char* name;
};
const Row kRows[] = {{&CLSID_DravikHelper, "Velmora Dravik Helper"},
                     {&CLSID_DravikDummySource, "Velmora Dravik Dummy Source"}};

std::string HelperKey() { return ClsidKeyPath(CLSID_DravikHelper); }
std::string DummyKey() { return ClsidKeyPath(CLSID_DravikDummySource); }

std::string ExecutablePath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length < 0) return std::string();
    return std::string(path, static_cast<size_t>(length));
}

const PlatformMappedFilter* Mapped(const std::vector<PlatformMappedFilter>& filters, REFCLSID clsid) {
    for (const PlatformMappedFilter& filter : filters) {
        if (filter.clsid == clsid) return &filter;
    }
    return nullptr;
}

// Registrations compared field by field, as a readable text.
std::string Describe(const std::vector<PlatformMappedFilter>& filters) {
    std::string text;
    for (const PlatformMappedFilter& filter : filters) {
        text += std::to_string(filter.generation) + " " + ClsidText(filter.clsid) + " " + ClsidText(filter.category) +
                " " + filter.name + " " + std::to_string(filter.merit) + "\n";
        for (const PlatformMappedPin& pin : filter.pins) {
            text += "  " + pin.name + " " + std::to_string(pin.rendered) + std::to_string(pin.output) +
                    std::to_string(pin.zero) + std::to_string(pin.many) + " " + ClsidText(pin.connectsToFilter) +
                    " '" + pin.connectsToPin + "'\n";
            for (const PlatformMappedPinType& type : pin.types) {
                text += "    " + ClsidText(type.majorType) + " " + ClsidText(type.subType) + "\n";
            }
        }
    }
    return text;
}

std::string DescribeKeys() {
    std::string text;
    for (const Row& row : kRows) {
        const std::string key = ClsidKeyPath(*row.clsid);
        text += key + "=" + ReadString(key, nullptr).text + "\n";
        for (const std::string& subkey : SubkeyNames(key)) {
            text += "  " + subkey + "=" + ReadString(key + "\\" + subkey, nullptr).text + " " +
                    ReadString(key + "\\" + subkey, "ThreadingModel").text + "\n";
        }
    }
    return text;
}

void ExpectPin(const PlatformMappedPin& pin, const char* name, BOOL output) {
    EXPECT_EQ(name, pin.name);
    EXPECT_EQ(FALSE, pin.rendered);
    EXPECT_EQ(output, pin.output);
    EXPECT_EQ(FALSE, pin.zero);
    EXPECT_EQ(TRUE, pin.many);
    EXPECT_TRUE(pin.connectsToFilter == CLSID_NULL);
    EXPECT_EQ("", pin.connectsToPin);
    ASSERT_EQ(1u, pin.types.size());
    EXPECT_TRUE(pin.types[0].majorType == MEDIATYPE_NULL);
    EXPECT_TRUE(pin.types[0].subType == MEDIASUBTYPE_NULL);
}

void ExpectBothFiltersMapped(int generation) {
    const std::vector<PlatformMappedFilter> filters = PlatformMapperFilters();
    ASSERT_EQ(2u, filters.size()) << Describe(filters);
    const PlatformMappedFilter* helper = Mapped(filters, CLSID_DravikHelper);
    const PlatformMappedFilter* dummy = Mapped(filters, CLSID_DravikDummySource);
    ASSERT_NE(nullptr, helper);
    ASSERT_NE(nullptr, dummy);
    const CLSID category = generation == 2 ? CLSID_LegacyAmFilterCategory : GUID_NULL;
    for (const PlatformMappedFilter* filter : {helper, dummy}) {
        EXPECT_EQ(generation, filter->generation);
        EXPECT_TRUE(filter->category == category);
        EXPECT_EQ(0x200000u, filter->merit);
    }
    EXPECT_EQ("Velmora Dravik Helper", helper->name);
    EXPECT_EQ("Velmora Dravik Dummy Source", dummy->name);
    ASSERT_EQ(2u, helper->pins.size());
    ExpectPin(helper->pins[0], "In", FALSE);
    ExpectPin(helper->pins[1], "Out", TRUE);
    ASSERT_EQ(1u, dummy->pins.size());
    ExpectPin(dummy->pins[0], "Out", TRUE);
}

using RegistrationTest = RegistryTest;

TEST_F(RegistrationTest, WritesTheServerKeysOfBothRows) {
    char modulePath[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(ModuleHandle, modulePath, MAX_PATH));
    // Natively the module is part of the test program.
    EXPECT_EQ(ExecutablePath(), modulePath);

    ASSERT_EQ(S_OK, DllRegisterServer());
    for (const Row& row : kRows) {
        const std::string key = ClsidKeyPath(*row.clsid);
        SCOPED_TRACE(key);
        const StoredString name = ReadString(key, nullptr);
        ASSERT_EQ(ERROR_SUCCESS, name.status);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), name.type);
        EXPECT_EQ(row.name, name.text);

        EXPECT_EQ(std::vector<std::string>{"InprocServer32"}, SubkeyNames(key));
        const StoredString path = ReadString(key + "\\InprocServer32", nullptr);
        ASSERT_EQ(ERROR_SUCCESS, path.status);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), path.type);
        EXPECT_EQ(modulePath, path.text);
        EXPECT_EQ((strlen(modulePath) + 1) * sizeof(WCHAR), path.byteLength);

        const StoredString model = ReadString(key + "\\InprocServer32", "ThreadingModel");
        ASSERT_EQ(ERROR_SUCCESS, model.status);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), model.type);
        EXPECT_EQ("Both", model.text);
        EXPECT_EQ(5 * sizeof(WCHAR), model.byteLength);
    }
}

TEST_F(RegistrationTest, RegistersBothFiltersWithTheNewerMapper) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    ExpectBothFiltersMapped(2);
    const std::string helper = ClsidText(CLSID_DravikHelper);
    const std::string dummy = ClsidText(CLSID_DravikDummySource);
    const std::vector<std::string> expected = {"UnregisterFilter " + helper, "RegisterFilter " + helper,
                                               "UnregisterFilter " + dummy, "RegisterFilter " + dummy};
    EXPECT_EQ(expected, PlatformMapperCalls());
}

TEST_F(RegistrationTest, OlderMapperGetsPinsAndTypesInTableOrder) {
    PlatformMapperRefuseCreation(PLATFORM_MAPPER_SECOND_GENERATION);
    ASSERT_EQ(S_OK, DllRegisterServer());
    ExpectBothFiltersMapped(1);
    const std::string helper = ClsidText(CLSID_DravikHelper);
    const std::string dummy = ClsidText(CLSID_DravikDummySource);
    const std::vector<std::string> expected = {
        "UnregisterFilter " + helper,   "RegisterFilter " + helper,       "RegisterPin " + helper + " In",
        "RegisterPinType " + helper + " In", "RegisterPin " + helper + " Out", "RegisterPinType " + helper + " Out",
        "UnregisterFilter " + dummy,    "RegisterFilter " + dummy,        "RegisterPin " + dummy + " Out",
        "RegisterPinType " + dummy + " Out"};
    EXPECT_EQ(expected, PlatformMapperCalls());
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesTheStateOfOnce) {
    for (DWORD refused : {0u, static_cast<DWORD>(PLATFORM_MAPPER_SECOND_GENERATION)}) {
        SCOPED_TRACE(refused);
        PlatformRegistryReset();
        PlatformMapperReset();
        PlatformMapperRefuseCreation(refused);
        ASSERT_EQ(S_OK, DllRegisterServer());
        const std::string keysOnce = DescribeKeys();
        const std::string mappedOnce = Describe(PlatformMapperFilters());
        ASSERT_EQ(S_OK, DllRegisterServer());
        EXPECT_EQ(keysOnce, DescribeKeys());
        EXPECT_EQ(mappedOnce, Describe(PlatformMapperFilters()));
    }
}

TEST_F(RegistrationTest, UnregisteringRemovesKeysWithSubkeysOfOthersAndMapperEntries) {
    for (DWORD refused : {0u, static_cast<DWORD>(PLATFORM_MAPPER_SECOND_GENERATION)}) {
        SCOPED_TRACE(refused);
        PlatformRegistryReset();
        PlatformMapperReset();
        PlatformMapperRefuseCreation(refused);
        CreateKeyWithValue("CLSID\\{00000000-0000-0000-0000-000000000001}", "someone else");
        ASSERT_EQ(S_OK, DllRegisterServer());
        CreateKeyWithValue(HelperKey() + "\\InprocServer32\\Added\\Deeper", "x");
        CreateKeyWithValue(HelperKey() + "\\Added", "y");
        CreateKeyWithValue(DummyKey() + "\\Instance", "z");

        ASSERT_EQ(S_OK, DllUnregisterServer());
        EXPECT_FALSE(KeyExists(HelperKey()));
        EXPECT_FALSE(KeyExists(DummyKey()));
        EXPECT_EQ(std::vector<std::string>{"{00000000-0000-0000-0000-000000000001}"}, SubkeyNames("CLSID"));
        EXPECT_TRUE(PlatformMapperFilters().empty()) << Describe(PlatformMapperFilters());
    }
}

TEST_F(RegistrationTest, UnregisteringWhatWasNeverRegisteredSucceeds) {
    for (DWORD refused : {0u, static_cast<DWORD>(PLATFORM_MAPPER_SECOND_GENERATION)}) {
        SCOPED_TRACE(refused);
        PlatformMapperReset();
        PlatformMapperRefuseCreation(refused);
        EXPECT_EQ(S_OK, DllUnregisterServer());
        EXPECT_EQ(S_OK, DllUnregisterServer());
        EXPECT_FALSE(KeyExists("CLSID"));
        // One UnregisterFilter per filter and call.
        EXPECT_EQ(4u, PlatformMapperCalls().size());
    }
}

TEST_F(RegistrationTest, RegistryFailureStopsBeforeTheMapper) {
    struct Case {
        std::string refusedKey;
        DWORD operation;
        bool helperNamed;
    };
    const Case cases[] = {
        {HelperKey(), PLATFORM_REGISTRY_REFUSE_CREATE, false},
        {HelperKey() + "\\InprocServer32", PLATFORM_REGISTRY_REFUSE_CREATE, true},
        {HelperKey() + "\\InprocServer32", PLATFORM_REGISTRY_REFUSE_SET_VALUE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusedKey + " " + std::to_string(c.operation));
        PlatformRegistryReset();
        PlatformMapperReset();
        PlatformRegistryRefuse(Widen(c.refusedKey).data(), c.operation);
        EXPECT_EQ(kAccessDenied, DllRegisterServer());
        EXPECT_EQ(c.helperNamed, ReadString(HelperKey(), nullptr).text == "Velmora Dravik Helper");
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadString(HelperKey() + "\\InprocServer32", "ThreadingModel").status);
        EXPECT_FALSE(KeyExists(DummyKey()));
        EXPECT_TRUE(PlatformMapperCalls().empty());
    }
}

TEST_F(RegistrationTest, LaterRowFailureKeepsEarlierRows) {
    PlatformRegistryRefuse(Widen(DummyKey()).data(), PLATFORM_REGISTRY_REFUSE_CREATE);
    EXPECT_EQ(kAccessDenied, DllRegisterServer());
    EXPECT_EQ("Both", ReadString(HelperKey() + "\\InprocServer32", "ThreadingModel").text);
    EXPECT_FALSE(KeyExists(DummyKey()));
    EXPECT_TRUE(PlatformMapperCalls().empty());
}

TEST_F(RegistrationTest, NoMapperAtAllIsReportedAndKeepsTheKeys) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    PlatformMapperRefuseCreation(PLATFORM_MAPPER_FIRST_GENERATION | PLATFORM_MAPPER_SECOND_GENERATION);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, DllUnregisterServer());
    EXPECT_TRUE(KeyExists(HelperKey() + "\\InprocServer32"));
    EXPECT_TRUE(KeyExists(DummyKey() + "\\InprocServer32"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, DllRegisterServer());
}

TEST_F(RegistrationTest, MapperFailureEndsTheWalk) {
    PlatformMapperFailCalls("RegisterFilter", E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, DllRegisterServer());
    const std::string helper = ClsidText(CLSID_DravikHelper);
    EXPECT_EQ((std::vector<std::string>{"UnregisterFilter " + helper, "RegisterFilter " + helper}),
              PlatformMapperCalls());
}

TEST_F(RegistrationTest, FileNotFoundIsSuccessOnlyForUnregistering) {
    // The mapper's answer when it does not know the filter; registering ignores it.
    PlatformMapperFailCalls("UnregisterFilter", kFileNotFound);
    EXPECT_EQ(S_OK, DllRegisterServer());
    EXPECT_EQ(S_OK, DllUnregisterServer());
    EXPECT_FALSE(KeyExists(HelperKey()));

    // A registration that could not be written is no success.
    PlatformMapperReset();
    PlatformMapperFailCalls("RegisterFilter", kFileNotFound);
    EXPECT_EQ(kFileNotFound, DllRegisterServer());
    PlatformMapperReset();
    PlatformMapperRefuseCreation(PLATFORM_MAPPER_SECOND_GENERATION);
    PlatformMapperFailCalls("RegisterPinType", kFileNotFound);
    EXPECT_EQ(kFileNotFound, DllRegisterServer());
}

TEST_F(RegistrationTest, FailedMapperUnregistrationKeepsTheKeys) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    PlatformMapperFailCalls("UnregisterFilter", E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, DllUnregisterServer());
    EXPECT_TRUE(KeyExists(HelperKey() + "\\InprocServer32"));
    EXPECT_TRUE(KeyExists(DummyKey() + "\\InprocServer32"));
    // The walk ended at the first row.
    EXPECT_EQ(5u, PlatformMapperCalls().size());
}

TEST_F(RegistrationTest, KeyThatCannotBeDeletedIsReportedAfterTheOtherRows) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    PlatformRegistryRefuse(Widen(HelperKey() + "\\InprocServer32").data(), PLATFORM_REGISTRY_REFUSE_DELETE);
    EXPECT_EQ(kAccessDenied, DllUnregisterServer());
    EXPECT_TRUE(KeyExists(HelperKey() + "\\InprocServer32"));
    EXPECT_FALSE(KeyExists(DummyKey()));
    EXPECT_TRUE(PlatformMapperFilters().empty());
}

TEST_F(RegistrationTest, LeavesTheThreadsComInitialisationAsItWas) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    // Not left initialised: a first initialisation is still the first.
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ASSERT_EQ(S_OK, DllUnregisterServer());
    // Already initialised by the caller: still initialised afterwards.
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
    CoUninitialize();
}

}  // namespace
