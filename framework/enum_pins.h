// Walks a filter's pins for the graph (IBaseFilter::EnumPins).
#ifndef DRAVIK_ENUM_PINS_H
#define DRAVIK_ENUM_PINS_H

#include <dshow.h>

#include <vector>

class CBaseFilter;
class CBasePin;

// Not aggregated and not counted as a live object; keeps its filter alive.
// When the filter's pin list changes, Next starts again from the new list
// but never hands out a pin twice between two Resets.
class CEnumPins final : public IEnumPins {
public:
    // Fresh snapshot of the filter, reference count 1.
    explicit CEnumPins(CBaseFilter* filter);
    ~CEnumPins();
    CEnumPins(const CEnumPins&) = delete;
    CEnumPins& operator=(const CEnumPins&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** clone) override;

private:
    void TakeSnapshot();
    bool WasHandedOut(const CBasePin* pin) const;

    int position_ = 0;
    int pinCount_ = 0;
    CBaseFilter* const filter_;
    int version_ = 0;
    volatile LONG referenceCount_ = 1;
    std::vector<const CBasePin*> handedOut_;
};

#endif
