// The counted base object and the aggregatable unknown every filter, pin and
// enumerator of the module rests on.
#ifndef DRAVIK_OBJECT_BASE_H
#define DRAVIK_OBJECT_BASE_H

#include <windows.h>

// Counts itself in LiveObjectCount for as long as it lives.
class CBaseObject {
public:
    explicit CBaseObject(const wchar_t* debugName);
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    ~CBaseObject();
};

// The unknown that is never delegated: an aggregate's outer object reaches the
// inner object's own interfaces through it.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    // A null outer unknown makes the object its own owner.
    CUnknown(const wchar_t* debugName, IUnknown* outer);
    virtual ~CUnknown() = default;

    // IID_IUnknown gives the non-delegating unknown; derived classes add theirs and fall back here.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** object) override;
    // Interlocked increment; never answers less than 1.
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    // Interlocked decrement; at 0 the object destroys itself and 0 is answered.
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // The unknown every interface of the object delegates to.
    IUnknown* GetOwner() const { return owner_; }

private:
    // The object's own IUnknown: a real one, whose calls go to the
    // non-delegating operations, so that no pointer is reinterpreted.
    class CInnerUnknown : public IUnknown {
    public:
        explicit CInnerUnknown(CUnknown* object) : object_(object) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
            return object_->NonDelegatingQueryInterface(riid, object);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return object_->NonDelegatingAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return object_->NonDelegatingRelease(); }

    private:
        CUnknown* const object_;
    };

    CInnerUnknown inner_;
    IUnknown* const owner_;
    volatile LONG referenceCount_ = 0;
};

// The three IUnknown operations of an interface implemented by a CUnknown-derived
// class: they only forward to the owner.
#define DECLARE_IUNKNOWN                                                                          \
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {                            \
        return GetOwner()->QueryInterface(riid, object);                                          \
    }                                                                                             \
    STDMETHODIMP_(ULONG) AddRef() override { return GetOwner()->AddRef(); }                       \
    STDMETHODIMP_(ULONG) Release() override { return GetOwner()->Release(); }

#endif
