// Native only: the class-table entry of the seeking pass-through.
#ifndef PLATFORM_SEEKING_PASSTHRU_H
#define PLATFORM_SEEKING_PASSTHRU_H

#include <windows.h>

// CLSID_SeekingPassThru: ISeekingPassThru, IMediaSeeking and IMediaPosition,
// aggregatable.
HRESULT CreateSeekingPassThru(IUnknown* outer, REFIID riid, void** object);

#endif
