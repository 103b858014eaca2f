// An in-place pass-through of the tests' own, in front of the helper: it
// writes the start of each flush into a stream log before passing it on, and
// its end after the filters downstream have ended it, so that every frame the
// grabber shows after that mark was delivered after the flush.
#ifndef DRAVIK_TESTS_WINE_STRESS_STREAM_LOG_TAP_H
#define DRAVIK_TESTS_WINE_STRESS_STREAM_LOG_TAP_H

#include "framework/trans_in_place_filter.h"
#include "tests/wine/stress/stream_log.h"

class CStreamLogTap : public CTransInPlaceFilter {
public:
    // A new tap writing into `log`, which must outlive it; the caller owns the one reference.
    static HRESULT Create(CStreamLog* log, IBaseFilter** filter);

    // Video only.
    HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) override;
    // Nothing of its own: the output carries the input's type.
    HRESULT ProposeOutputType(int position, AM_MEDIA_TYPE* type) override;
    // Passes the sample on untouched.
    HRESULT TransformInPlace(IMediaSample* sample) override;
    // Logs the flush, then passes it on.
    HRESULT OnBeginFlush() override;
    // Passes the flush's end on, then logs it.
    HRESULT OnEndFlush() override;

private:
    explicit CStreamLogTap(CStreamLog* log);

    CStreamLog* const log_;
};

#endif
