// A companion-style sample whose planes are reached through ISamplePlanes.
#ifndef DRAVIK_TESTS_OVERLAY_TEST_PLANAR_SAMPLE_H
#define DRAVIK_TESTS_OVERLAY_TEST_PLANAR_SAMPLE_H

#include <vector>

#include "dravik/dravik.h"
#include "tests/overlay/test_media_sample.h"

// Its planes count as checked only where they lie inside its buffer.
class CTestPlanarSample : public CTestMediaSample, public ISamplePlanes {
public:
    CTestPlanarSample(BYTE* buffer = nullptr, LONG size = 0) : CTestMediaSample(buffer, size) {}

    void SetPlane(LONG index, BYTE* plane, LONG stride);
    // GetPlane fails for this index from now on.
    void FailPlane(LONG index) { failingPlane_ = index; }
    const std::vector<LONG>& ReleasedPlanes() const { return released_; }
    LONG PlanesHandedOut() const { return handedOut_; }

    // Adds ISamplePlanes to what the plain sample answers.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return CTestMediaSample::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CTestMediaSample::Release(); }

    STDMETHODIMP GetPlane(BYTE** plane, LONG* stride, LONG reserved, LONG index) override;
    STDMETHODIMP ReleasePlane(LONG reserved, LONG index) override;

private:
    BYTE* planes_[3] = {nullptr, nullptr, nullptr};
    LONG strides_[3] = {0, 0, 0};
    LONG failingPlane_ = -1;
    LONG handedOut_ = 0;
    std::vector<LONG> released_;
};

#endif
