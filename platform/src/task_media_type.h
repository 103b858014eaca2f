// Native only: media types in task memory, as samples keep and hand them out.
#ifndef PLATFORM_TASK_MEDIA_TYPE_H
#define PLATFORM_TASK_MEDIA_TYPE_H

#include <dshow.h>

// A task-memory copy of source with its own format block and a reference on
// pUnk. E_POINTER for a format size without a format block.
HRESULT CopyToTaskMediaType(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE** copy);

// Frees a copy made by CopyToTaskMediaType; null is allowed.
void FreeTaskMediaType(AM_MEDIA_TYPE* type);

#endif
