#include "overlay/frame_buffer.h"

#include <stdint.h>

#include "overlay/pixel_formats.h"

namespace {

// The whole layout of a buffer of our own, in 64 bits so that nothing wraps
// before it is checked against the 32-bit range.
struct OwnBufferLayout {
    int64_t size;
    int planeCount;  // planes beyond the count keep their values
    int64_t strides[3];
    LONG steps[3];
    int64_t offsets[3];
};

int64_t RoundUp(int64_t value, int64_t multiple) { return (value + multiple - 1) & ~(multiple - 1); }

// Rows and row bytes within 32 bits keep every product below in 64 bits.
constexpr int64_t Largest = INT32_MAX;

// One plane of rows of rowBytes each.
bool SinglePlane(OwnBufferLayout* layout, int64_t rowBytes, int64_t height, LONG step) {
    if (rowBytes > Largest) return false;
    layout->planeCount = 1;
    layout->size = rowBytes * height;
    layout->strides[0] = rowBytes;
    layout->steps[0] = step;
    layout->offsets[0] = 0;
    return true;
}

bool ThreePlanes(OwnBufferLayout* layout, int64_t lumaStride, int64_t chromaStride, int64_t chromaRows,
                 int64_t height) {
    layout->planeCount = 3;
    layout->strides[0] = lumaStride;
    layout->strides[1] = layout->strides[2] = chromaStride;
    layout->steps[0] = layout->steps[1] = layout->steps[2] = 1;
    layout->offsets[0] = 0;
    layout->offsets[1] = height * lumaStride;
    if (layout->offsets[1] > Largest) return false;
    layout->offsets[2] = layout->offsets[1] + chromaRows * chromaStride;
    if (layout->offsets[2] > Largest) return false;
    layout->size = layout->offsets[2] + chromaRows * chromaStride;
    return true;
}

bool ComputeOwnBufferLayout(const VideoFrameLayout& frame, OwnBufferLayout* layout) {
    const int64_t width = frame.width;
    const int64_t height = frame.height;
    const int64_t bitCount = frame.bitCount;
    if (width <= 0 || height <= 0) return false;
    const int64_t chromaRow = RoundUp((width + 1) / 2, 16);
    const LONG pixelStep = frame.bitCount / 8;
    switch (frame.fourcc) {
        case FourccRgb:
        case FourccRgba:
            if (bitCount <= 0) return false;
            if (!SinglePlane(layout, RoundUp((width * bitCount + 7) / 8, 16), height, pixelStep)) return false;
            break;
        case FourccYuy2:
        case FourccUyvy:
        case FourccHdyc:
            // The blend writes two bytes a pixel whatever the bit count says.
            if (bitCount < 16) return false;
            if (!SinglePlane(layout, RoundUp(((width + 1) & ~int64_t{1}) * bitCount / 8, 16), height, pixelStep)) {
                return false;
            }
            break;
        case FourccV210:
            if (!SinglePlane(layout, RoundUp((width + 5) / 6 * 16, 128), height, pixelStep)) return false;
            break;
        case FourccI420:
        case FourccIyuv:
        case FourccYv12:
        case FourccP420:
            if (!ThreePlanes(layout, 2 * chromaRow, chromaRow, (height + 1) / 2, height)) return false;
            break;
        case FourccNv12:
            // One interleaved chroma plane: V is the byte after U.
            if (!ThreePlanes(layout, 2 * chromaRow, 2 * chromaRow, (height + 1) / 2, height)) return false;
            layout->steps[1] = layout->steps[2] = 2;
            layout->offsets[2] = layout->offsets[1] + 1;
            layout->size = layout->offsets[1] + (height + 1) / 2 * 2 * chromaRow;
            break;
        case FourccP422:
            if (!ThreePlanes(layout, 2 * chromaRow, chromaRow, height, height)) return false;
            break;
        case FourccP444: {
            const int64_t stride = RoundUp(width, 16);
            if (!ThreePlanes(layout, stride, stride, height, height)) return false;
            break;
        }
        default:
            return false;
    }
    // Every stride and offset is below the size.
    return layout->size > 0 && layout->size <= INT32_MAX;
}

}  // namespace

bool FrameBufferSize(const VideoFrameLayout* frame, LONG* size) {
    if (frame == nullptr || size == nullptr) return false;
    OwnBufferLayout layout;
    if (!ComputeOwnBufferLayout(*frame, &layout)) return false;
    *size = static_cast<LONG>(layout.size);
    return true;
}

bool AttachFrameBuffer(VideoFrameLayout* frame, BYTE* buffer) {
    if (frame == nullptr || buffer == nullptr) return false;
    frame->planes[0] = buffer;
    OwnBufferLayout layout;
    if (!ComputeOwnBufferLayout(*frame, &layout)) return false;
    for (int plane = 0; plane < layout.planeCount; ++plane) {
        frame->planes[plane] = buffer + layout.offsets[plane];
        frame->strides[plane] = static_cast<LONG>(layout.strides[plane]);
        frame->sampleStep[plane] = layout.steps[plane];
    }
    return true;
}
