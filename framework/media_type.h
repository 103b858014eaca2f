// An AM_MEDIA_TYPE that owns its format block and its pUnk reference, and the
// free functions on plain media types held in task memory.
#ifndef DRAVIK_MEDIA_TYPE_H
#define DRAVIK_MEDIA_TYPE_H

#include <dshow.h>

class COwnedMediaType : public AM_MEDIA_TYPE {
public:
    COwnedMediaType();
    ~COwnedMediaType();
    COwnedMediaType(const COwnedMediaType&) = delete;
    COwnedMediaType& operator=(const COwnedMediaType&) = delete;

    // Overwrites the record with the empty media type without releasing anything.
    void ResetToEmpty();
    // Replaces the contents by a deep copy of the other record.
    HRESULT Assign(const AM_MEDIA_TYPE& other);
    // Exchanges the contents with the other type; nothing is copied or freed.
    void Swap(COwnedMediaType& other);

    bool operator==(const AM_MEDIA_TYPE& other) const;
    bool operator!=(const AM_MEDIA_TYPE& other) const { return !(*this == other); }
    // Null GUIDs of the pattern match anything; a null format type ends the comparison.
    bool MatchesPattern(const AM_MEDIA_TYPE& pattern) const;
    // Major type or format type unset.
    bool IsPartial() const;

    // A format block of at least the length, or null when a larger one can't be had.
    BYTE* ReserveFormatBlock(ULONG length);
    void SetMajorType(const GUID& type) { majortype = type; }
    void SetSubtype(const GUID& type) { subtype = type; }
    void SetFormatType(const GUID& type) { formattype = type; }
    void SetTemporalCompression(BOOL compressed) { bTemporalCompression = compressed; }
    // 0 means variable-size samples; the previous size is kept then.
    void SetSampleSize(ULONG size);
};

// Deep copy into a target that owns nothing yet; a source whose format block
// is missing gives a copy without one.
HRESULT CopyMediaTypeRecord(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE& source);
// Frees the format block and releases pUnk; the GUIDs and flags stay.
void ReleaseMediaTypeContents(AM_MEDIA_TYPE* type);
// For a record that itself lives in task memory; null does nothing.
void DeleteTaskMediaType(AM_MEDIA_TYPE* type);
// Rows padded to 32 bits; negative (top-down) heights give the same size.
DWORD BitmapImageSize(const BITMAPINFOHEADER& header);

#endif
