#include "overlay/logo_image.h"

#include <stddef.h>

#include "module/module_state.h"
#include "overlay/aligned_buffer.h"
#include "overlay/frame_buffer.h"
#include "overlay/pixel_formats.h"

namespace {

// The resource holds at least width x height bytes, top row first.
const BYTE* FindLogoResource() {
    HRSRC resource = FindResourceW(ModuleHandle, MAKEINTRESOURCEW(LogoResourceId), L"RAW");
    if (resource == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(ModuleHandle, resource);
    if (loaded == nullptr) return nullptr;
    return static_cast<const BYTE*>(LockResource(loaded));
}

}  // namespace

bool BuildLogoImage(VideoFrameLayout* logo) {
    if (logo == nullptr || logo->width <= 0 || logo->height <= 0) return false;
    const BYTE* gray = FindLogoResource();
    if (gray == nullptr) return false;

    logo->bitCount = 32;
    logo->fourcc = FourccRgba;
    LONG size = 0;
    if (!FrameBufferSize(logo, &size)) return false;
    BYTE* buffer = AllocateAlignedBuffer(size);
    if (!AttachFrameBuffer(logo, buffer)) {
        FreeAlignedBuffer(buffer);
        logo->planes[0] = nullptr;
        return false;
    }
    for (LONG i = 0; i < logo->height; ++i) {
        BYTE* pixel = logo->planes[0] + static_cast<ptrdiff_t>(i) * logo->strides[0];
        const BYTE* source = gray + static_cast<ptrdiff_t>(i) * logo->width;
        for (LONG j = 0; j < logo->width; ++j, pixel += 4) {
            pixel[0] = pixel[1] = pixel[2] = 255;
            pixel[3] = LogoAlphaFromGray(source[j]);
        }
    }
    return true;
}
