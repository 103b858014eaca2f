// Video media types with format blocks of exactly their structure's size.
#ifndef DRAVIK_TESTS_OVERLAY_TEST_MEDIA_TYPES_H
#define DRAVIK_TESTS_OVERLAY_TEST_MEDIA_TYPES_H

#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>

#include <vector>

class TestMediaType {
public:
    TestMediaType(const GUID& formatType, size_t formatSize);

    // The type, pointing at this object's block (or null when it is empty).
    const AM_MEDIA_TYPE* Get();
    std::vector<BYTE>& Format() { return format_; }
    template <typename Header>
    Header* As() {
        return reinterpret_cast<Header*>(format_.data());
    }

private:
    AM_MEDIA_TYPE type_{};
    std::vector<BYTE> format_;
};

// rcSource.right is sourceRight; the bitmap header carries the rest.
TestMediaType VideoInfoType(LONG width, LONG height, WORD bitCount, DWORD compression, LONG sourceRight = 0);
TestMediaType VideoInfo2Type(LONG width, LONG height, WORD bitCount, DWORD compression, LONG sourceRight = 0);
// The companion's block: right edge and row width both width.
TestMediaType PlanarVideoType(LONG width, LONG height, WORD bitCount, DWORD fourcc, DWORD planeCount,
                              DWORD planeAccess = 1);

#endif
