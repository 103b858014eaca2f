// The platform's seeking pass-through, set up to answer for a pin.
#ifndef DRAVIK_SEEKING_PASS_THROUGH_H
#define DRAVIK_SEEKING_PASS_THROUGH_H

#include <dshow.h>

// Creates the pass-through aggregated by the outer unknown, passing position
// and seeking requests to the pin connected to the given input pin.
HRESULT CreateSeekingPassThrough(IUnknown* outer, BOOL renderer, IPin* pin, IUnknown** passThrough);

#endif
