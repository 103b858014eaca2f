// Copying one media sample into another buffer: what a filter does when it
// cannot pass the upstream buffer itself on.
#ifndef DRAVIK_SAMPLE_COPY_H
#define DRAVIK_SAMPLE_COPY_H

#include <dshow.h>

// Times, sync point, preroll, discontinuity and an attached media type.
HRESULT CopySampleProperties(IMediaSample* source, IMediaSample* copy);
// Media times, the data length and the bytes; E_FAIL when they do not fit either buffer.
HRESULT CopySampleData(IMediaSample* source, IMediaSample* copy);

#endif
