// The batch and convenience operations of the property base.
#include <gtest/gtest.h>

#include <vector>

#include "helper/general_properties.h"

namespace {

// Implements neither single-property operation.
class CBareProperties : public CGeneralProperties {
public:
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// Knows one key, GENPROP_Overlay, and records the parameter it was given.
class COneKeyProperties : public CBareProperties {
public:
    STDMETHODIMP GetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) override {
        lastParameter = parameter;
        if (*key != GENPROP_Overlay) return E_FAIL;
        value->vt = VT_BOOL;
        value->boolVal = VARIANT_TRUE;
        return S_OK;
    }
    STDMETHODIMP SetValueEx(const GUID* key, VARIANT*, VARIANT* parameter) override {
        lastParameter = parameter;
        return *key == GENPROP_Overlay ? S_FALSE : E_FAIL;  // any success counts
    }
    VARIANT* lastParameter = reinterpret_cast<VARIANT*>(1);
};

std::vector<PropertyEntry> Entries(std::initializer_list<const GUID*> keys) {
    std::vector<PropertyEntry> entries(keys.size());
    size_t i = 0;
    for (const GUID* key : keys) {
        memset(&entries[i], 0, sizeof(PropertyEntry));
        entries[i++].key = *key;
    }
    return entries;
}

TEST(GeneralProperties, BaseAnswersNotImplementedAndFailsBatches) {
    CBareProperties properties;
    VARIANT value{};
    EXPECT_EQ(E_NOTIMPL, properties.GetValue(&GENPROP_Overlay, &value));
    EXPECT_EQ(E_NOTIMPL, properties.SetValue(&GENPROP_Overlay, &value));
    auto entries = Entries({&GENPROP_Overlay, &GENPROP_BytesReceived});
    EXPECT_EQ(E_FAIL, properties.GetValues(2, entries.data()));
    EXPECT_EQ(E_FAIL, properties.SetValues(2, entries.data()));
    EXPECT_EQ(S_OK, properties.GetValues(0, nullptr));
}

TEST(GeneralProperties, SingleOperationsPassNoParameter) {
    COneKeyProperties properties;
    VARIANT value{};
    EXPECT_EQ(S_OK, properties.GetValue(&GENPROP_Overlay, &value));
    EXPECT_EQ(nullptr, properties.lastParameter);
    EXPECT_EQ(VT_BOOL, value.vt);
}

TEST(GeneralProperties, BatchCountsSuccesses) {
    COneKeyProperties properties;
    auto mixed = Entries({&GENPROP_Overlay, &GENPROP_FilterClsid, &GENPROP_Overlay});
    EXPECT_EQ(S_FALSE, properties.GetValues(3, mixed.data()));
    EXPECT_EQ(&mixed[2].parameter, properties.lastParameter);
    EXPECT_EQ(VT_BOOL, mixed[0].value.vt);
    EXPECT_EQ(VT_EMPTY, mixed[1].value.vt);  // a failed entry keeps its value
    EXPECT_EQ(S_FALSE, properties.SetValues(3, mixed.data()));

    auto unknown = Entries({&GENPROP_FilterClsid, &GENPROP_BytesReceived});
    EXPECT_EQ(E_FAIL, properties.GetValues(2, unknown.data()));
    auto known = Entries({&GENPROP_Overlay});
    EXPECT_EQ(S_OK, properties.SetValues(1, known.data()));
    EXPECT_EQ(S_OK, properties.SetValues(0, nullptr));
    EXPECT_EQ(E_POINTER, properties.GetValues(1, nullptr));
}

}  // namespace
