// Reference counting of the object base and the shared hand-out helpers.
#include <gtest/gtest.h>

#include "module/com_helpers.h"
#include "module/module_state.h"
#include "module/object_base.h"
#include "tests/support/wide_text.h"

namespace {

class CCountedThing : public CUnknown {
public:
    CCountedThing(IUnknown* outer, int* destroyed) : CUnknown(L"thing", outer), destroyed_(destroyed) {}
    ~CCountedThing() override { ++*destroyed_; }

private:
    int* destroyed_;
};

TEST(ObjectBase, LiveObjectCountFollowsLifetime) {
    const LONG before = LiveObjectCount;
    int destroyed = 0;
    CCountedThing* thing = new CCountedThing(nullptr, &destroyed);
    EXPECT_EQ(before + 1, LiveObjectCount);
    EXPECT_EQ(1u, thing->NonDelegatingAddRef());
    EXPECT_EQ(2u, thing->NonDelegatingAddRef());
    EXPECT_EQ(1u, thing->NonDelegatingRelease());
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(0u, thing->NonDelegatingRelease());
    EXPECT_EQ(1, destroyed);
    EXPECT_EQ(before, LiveObjectCount);
}

TEST(ObjectBase, StandaloneObjectOwnsItselfAndAnswersIUnknownOnly) {
    int destroyed = 0;
    CCountedThing* thing = new CCountedThing(nullptr, &destroyed);
    thing->NonDelegatingAddRef();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, thing->NonDelegatingQueryInterface(IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, thing->NonDelegatingQueryInterface(IID_IUnknown, nullptr));

    ASSERT_EQ(S_OK, thing->NonDelegatingQueryInterface(IID_IUnknown, &out));
    IUnknown* unknown = static_cast<IUnknown*>(out);
    EXPECT_EQ(thing->GetOwner(), unknown);
    // The non-delegating unknown takes its reference with NonDelegatingAddRef.
    EXPECT_EQ(3u, unknown->AddRef());
    EXPECT_EQ(2u, unknown->Release());
    EXPECT_EQ(1u, unknown->Release());
    EXPECT_EQ(0u, thing->NonDelegatingRelease());
    EXPECT_EQ(1, destroyed);
}

TEST(ObjectBase, AggregatedObjectDelegatesToItsOuterUnknown) {
    int destroyed = 0;
    IUnknown* outer = reinterpret_cast<IUnknown*>(0x1000);
    CCountedThing* thing = new CCountedThing(outer, &destroyed);
    EXPECT_EQ(outer, thing->GetOwner());
    thing->NonDelegatingAddRef();
    thing->NonDelegatingRelease();
    EXPECT_EQ(1, destroyed);
}

TEST(ComHelpers, GetInterfacePointerStoresAndReferences) {
    int destroyed = 0;
    CCountedThing* thing = new CCountedThing(nullptr, &destroyed);
    thing->NonDelegatingAddRef();
    IUnknown* unknown = thing->GetOwner();
    EXPECT_EQ(E_POINTER, GetInterfacePointer(unknown, nullptr));
    void* slot = nullptr;
    ASSERT_EQ(S_OK, GetInterfacePointer(unknown, &slot));
    EXPECT_EQ(unknown, slot);
    EXPECT_EQ(1u, unknown->Release());
    unknown->Release();
    EXPECT_EQ(1, destroyed);
}

TEST(ComHelpers, CopyStringToTaskMemory) {
    EXPECT_EQ(E_POINTER, CopyStringToTaskMemory(L"x", nullptr));

    WCHAR* copy = reinterpret_cast<WCHAR*>(1);
    EXPECT_EQ(E_INVALIDARG, CopyStringToTaskMemory(nullptr, &copy));
    EXPECT_EQ(nullptr, copy);

    ASSERT_EQ(S_OK, CopyStringToTaskMemory(L"Input", &copy));
    EXPECT_EQ("Input", Narrow(copy));
    CoTaskMemFree(copy);

    // 49,999 characters and the terminator fit; 50,000 without one do not.
    std::vector<WCHAR> text(50001, L'a');
    text[49999] = 0;
    ASSERT_EQ(S_OK, CopyStringToTaskMemory(text.data(), &copy));
    EXPECT_EQ(49999, lstrlenW(copy));
    CoTaskMemFree(copy);
    text[49999] = L'a';
    text[50000] = 0;
    EXPECT_EQ(E_INVALIDARG, CopyStringToTaskMemory(text.data(), &copy));
    EXPECT_EQ(nullptr, copy);
}

}  // namespace
