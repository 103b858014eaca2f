// The helper as a host creates it, when memory runs out: a pin of its own that
// cannot be made fails the creation, and nothing is left behind.
#include <gtest/gtest.h>

#include "helper/dravik_input_pin.h"
#include "helper/dravik_output_pin.h"
#include "tests/helper/helper_graph.h"
#include "tests/support/failing_allocation.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);

namespace {

class HelperCreation : public testing::TestWithParam<size_t> {};

TEST_P(HelperCreation, APinThatCannotBeMadeFailsItWithOutOfMemory) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    FailNothrowAllocation(GetParam());
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(E_OUTOFMEMORY, factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    EXPECT_EQ(nullptr, filter);
    factory->Release();
    // The live-object check after every test finds anything not freed.
}

INSTANTIATE_TEST_SUITE_P(Helper, HelperCreation, testing::Values(sizeof(CDravikInputPin), sizeof(CDravikOutputPin)));

}  // namespace
