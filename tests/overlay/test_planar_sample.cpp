#include "tests/overlay/test_planar_sample.h"

void CTestPlanarSample::SetPlane(LONG index, BYTE* plane, LONG stride) {
    planes_[index] = plane;
    strides_[index] = stride;
}

STDMETHODIMP CTestPlanarSample::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid != IID_ISamplePlanes) return CTestMediaSample::QueryInterface(riid, object);
    *object = static_cast<ISamplePlanes*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CTestPlanarSample::GetPlane(BYTE** plane, LONG* stride, LONG reserved, LONG index) {
    if (plane == nullptr || stride == nullptr) return E_POINTER;
    if (reserved != 0 || index < 0 || index > 2 || index == failingPlane_) return E_FAIL;
    *plane = planes_[index];
    *stride = strides_[index];
    ++handedOut_;
    return S_OK;
}

STDMETHODIMP CTestPlanarSample::ReleasePlane(LONG reserved, LONG index) {
    if (reserved != 0) return E_INVALIDARG;
    released_.push_back(index);
    return S_OK;
}
