// A pass-through of the tests' own for video, in front of the helper: an
// in-place filter on the module's framework that hands allocator requirements
// upstream, as the platform's Sample Grabber does not, and shows every sample
// to a recorder before passing the very same sample on untouched.
#ifndef DRAVIK_TESTS_WINE_E2E_SAMPLE_TAP_FILTER_H
#define DRAVIK_TESTS_WINE_E2E_SAMPLE_TAP_FILTER_H

#include <qedit.h>

#include "framework/trans_in_place_filter.h"

class CSampleTapFilter : public CTransInPlaceFilter {
public:
    // A new tap showing samples to the recorder; the caller owns the one reference.
    static HRESULT Create(ISampleGrabberCB* recorder, IBaseFilter** filter);

    // Video only.
    HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) override;
    // Nothing of its own: the output carries the input's type.
    HRESULT ProposeOutputType(int position, AM_MEDIA_TYPE* type) override;
    // Shows the sample to the recorder; the sample itself is not changed.
    HRESULT TransformInPlace(IMediaSample* sample) override;

private:
    explicit CSampleTapFilter(ISampleGrabberCB* recorder);
    ~CSampleTapFilter() override;

    ISampleGrabberCB* const recorder_;
};

#endif
