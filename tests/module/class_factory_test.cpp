// The module's entry points and class factory, as the COM runtime drives them.
#include <gtest/gtest.h>

#include <dshow.h>

#include "dravik/dravik.h"
#include "module/class_factory.h"
#include "module/module_state.h"
#include "module/object_base.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
STDAPI DllCanUnloadNow();

namespace {

// A test row whose create function does what the test asks of it.
struct CreateScript {
    HRESULT storedResult = S_OK;
    bool returnObject = true;
    int created = 0;
    int destroyed = 0;
};
CreateScript script;

class CScriptedObject : public CUnknown, public IPersist {
public:
    explicit CScriptedObject(IUnknown* outer) : CUnknown(L"scripted", outer) { ++script.created; }
    ~CScriptedObject() override { ++script.destroyed; }
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object != nullptr && riid == IID_IPersist) return GetInterfacePointerFor(object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = GUID_NULL;
        return S_OK;
    }

private:
    HRESULT GetInterfacePointerFor(void** object) {
        *object = static_cast<IPersist*>(this);
        NonDelegatingAddRef();
        return S_OK;
    }
};

CUnknown* CreateScripted(IUnknown* outer, HRESULT* result) {
    *result = script.storedResult;
    if (!script.returnObject) return nullptr;
    return new CScriptedObject(outer);
}

const CFactoryEntry kScriptedRow = {L"scripted", &GUID_NULL, CreateScripted, nullptr, nullptr};

class ClassFactoryTest : public testing::Test {
protected:
    void SetUp() override {
        script = CreateScript();
        factory_ = new CClassFactory(&kScriptedRow);
        factory_->AddRef();
    }
    void TearDown() override { EXPECT_EQ(0u, factory_->Release()); }
    CClassFactory* factory_ = nullptr;
};

TEST_F(ClassFactoryTest, CreatesAndHandsOutTheRequestedInterface) {
    void* out = nullptr;
    ASSERT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_IPersist, &out));
    IPersist* persist = static_cast<IPersist*>(out);
    EXPECT_EQ(1, script.created);
    EXPECT_EQ(0u, persist->Release());
    EXPECT_EQ(1, script.destroyed);
}

TEST_F(ClassFactoryTest, RefusedInterfaceDestroysTheNewObject) {
    const LONG before = LiveObjectCount;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory_->CreateInstance(nullptr, IID_IBaseFilter, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, script.destroyed);
    EXPECT_EQ(before, LiveObjectCount);
}

TEST_F(ClassFactoryTest, AggregationOnlyThroughIUnknown) {
    IUnknown* outer = reinterpret_cast<IUnknown*>(0x1000);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory_->CreateInstance(outer, IID_IBaseFilter, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, script.created);

    ASSERT_EQ(S_OK, factory_->CreateInstance(outer, IID_IUnknown, &out));
    // The aggregate gets the inner object's own non-delegating unknown.
    IUnknown* inner = static_cast<IUnknown*>(out);
    EXPECT_NE(outer, inner);
    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(1, script.destroyed);
}

TEST_F(ClassFactoryTest, CreateFunctionFailures) {
    void* out = nullptr;
    EXPECT_EQ(E_POINTER, factory_->CreateInstance(nullptr, IID_IUnknown, nullptr));

    script.returnObject = false;
    script.storedResult = E_NOTIMPL;
    EXPECT_EQ(E_NOTIMPL, factory_->CreateInstance(nullptr, IID_IUnknown, &out));
    script.storedResult = S_OK;
    EXPECT_EQ(E_OUTOFMEMORY, factory_->CreateInstance(nullptr, IID_IUnknown, &out));

    // An object whose constructor reported a failure is destroyed.
    script.returnObject = true;
    script.storedResult = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, factory_->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, script.created);
    EXPECT_EQ(1, script.destroyed);
}

TEST_F(ClassFactoryTest, QueryInterfaceAndLockServer) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_POINTER, factory_->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(E_NOINTERFACE, factory_->QueryInterface(IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    ASSERT_EQ(S_OK, factory_->QueryInterface(IID_IClassFactory, &out));
    EXPECT_EQ(1u, factory_->Release());

    const LONG locks = ServerLockCount;
    EXPECT_EQ(S_OK, factory_->LockServer(TRUE));
    EXPECT_EQ(locks + 1, ServerLockCount);
    EXPECT_EQ(S_OK, factory_->LockServer(FALSE));
    EXPECT_EQ(locks, ServerLockCount);
}

TEST(ModuleEntry, UnknownClassesAndInterfaces) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_POINTER, DllGetClassObject(CLSID_DravikHelper, IID_IClassFactory, nullptr));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(MEDIATYPE_Video, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(CLSID_DravikHelper, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(ModuleEntry, CanUnloadOnlyWithoutFactoriesAndLocks) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_DravikDummySource, IID_IUnknown, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());

    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow());

    // More unlocks than locks count as no lock.
    ServerLockCount = -1;
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    ServerLockCount = 0;
}

TEST(ModuleEntry, BothRowsAreCreatable) {
    for (const CLSID* clsid : {&CLSID_DravikHelper, &CLSID_DravikDummySource}) {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(S_OK, DllGetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        IBaseFilter* filter = nullptr;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
        ASSERT_NE(nullptr, filter);
        CLSID reported;
        EXPECT_EQ(S_OK, filter->GetClassID(&reported));
        EXPECT_TRUE(reported == *clsid);
        EXPECT_EQ(0u, filter->Release());
        factory->Release();
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

}  // namespace
