#include "filter_enumerator.h"

#include <atomic>
#include <mutex>
#include <new>

#include "live_object.h"

namespace {

class PlatformFilterEnumerator final : public IEnumFilters {
public:
    PlatformFilterEnumerator(std::vector<IBaseFilter*> filters, size_t position)
        : filters_(std::move(filters)), position_(position) {
        for (IBaseFilter* filter : filters_) filter->AddRef();
    }
    ~PlatformFilterEnumerator() {
        for (IBaseFilter* filter : filters_) filter->Release();
    }
    PlatformFilterEnumerator(const PlatformFilterEnumerator&) = delete;
    PlatformFilterEnumerator& operator=(const PlatformFilterEnumerator&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IEnumFilters) return E_NOINTERFACE;
        *object = static_cast<IEnumFilters*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG count = --references_;
        if (count == 0) delete this;
        return count;
    }

    STDMETHODIMP Next(ULONG count, IBaseFilter** filters, ULONG* fetched) override {
        if (filters == nullptr) return E_POINTER;
        if (fetched == nullptr && count != 1) return E_POINTER;
        std::lock_guard<std::mutex> guard(mutex_);
        ULONG given = 0;
        while (given < count && position_ < filters_.size()) {
            filters[given] = filters_[position_++];
            filters[given]->AddRef();
            ++given;
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        std::lock_guard<std::mutex> guard(mutex_);
        const size_t left = filters_.size() - position_;
        if (count > left) {
            position_ = filters_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        std::lock_guard<std::mutex> guard(mutex_);
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFilters** clone) override {
        if (clone == nullptr) return E_POINTER;
        *clone = nullptr;
        std::lock_guard<std::mutex> guard(mutex_);
        return Make(filters_, position_, clone);
    }

    static HRESULT Make(const std::vector<IBaseFilter*>& filters, size_t position, IEnumFilters** enumerator) {
        PlatformFilterEnumerator* made = nullptr;
        try {
            made = new PlatformFilterEnumerator(filters, position);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        made->AddRef();
        *enumerator = made;
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{0};
    std::mutex mutex_;
    const std::vector<IBaseFilter*> filters_;
    size_t position_;
    PlatformLiveObject live_;
};

}  // namespace

HRESULT CreateFilterEnumerator(const std::vector<IBaseFilter*>& filters, IEnumFilters** enumerator) {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = nullptr;
    return PlatformFilterEnumerator::Make(filters, 0, enumerator);
}
