#include "fuzz/fuzz_media_type.h"

#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <mmreg.h>
#include <wmcodecdsp.h>

#include <vector>

#include "dravik/dravik.h"
#include "overlay/pixel_formats.h"

namespace {

// The companion's block: a bitmap header at 80 ends it.
constexpr size_t PlanarBlockSize = 80 + sizeof(BITMAPINFOHEADER);

GUID WaveTagSubtype(DWORD tag) {
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return subtype;
}

GUID PickGuid(FuzzInput& input, const std::vector<GUID>& known) {
    const size_t choice = input.Pick(known.size() + 1);
    if (choice < known.size()) return known[choice];
    return input.Raw<GUID>();
}

template <typename Value>
void WriteAt(std::vector<BYTE>& block, size_t offset, Value value) {
    if (offset + sizeof value <= block.size()) memcpy(block.data() + offset, &value, sizeof value);
}

WORD PickBitCount(FuzzInput& input) {
    static const WORD counts[] = {0, 1, 8, 12, 15, 16, 20, 24, 32, 48};
    const size_t choice = input.Pick(sizeof counts / sizeof counts[0] + 1);
    return choice < sizeof counts / sizeof counts[0] ? counts[choice] : input.Raw<WORD>();
}

void ShapeBitmap(FuzzInput& input, std::vector<BYTE>& block, size_t bitmapOffset, size_t sourceOffset) {
    const LONG width = input.Quantity(4096);
    WriteAt<LONG>(block, sourceOffset + offsetof(RECT, right), input.Flag() ? width : input.Quantity(4096));
    WriteAt<LONG>(block, bitmapOffset + offsetof(BITMAPINFOHEADER, biWidth), width);
    WriteAt<LONG>(block, bitmapOffset + offsetof(BITMAPINFOHEADER, biHeight), input.Quantity(4096));
    WriteAt<WORD>(block, bitmapOffset + offsetof(BITMAPINFOHEADER, biBitCount), PickBitCount(input));
    WriteAt<DWORD>(block, bitmapOffset + offsetof(BITMAPINFOHEADER, biCompression), FuzzFourcc(input));
}

void ShapeWave(FuzzInput& input, std::vector<BYTE>& block) {
    static const WORD tags[] = {WAVE_FORMAT_PCM, WAVE_FORMAT_EXTENSIBLE, 0x2000, 0x2001, 0x00FF, 3};
    static const WORD depths[] = {8, 12, 16, 24, 32};
    const size_t tag = input.Pick(sizeof tags / sizeof tags[0] + 1);
    WriteAt<WORD>(block, offsetof(WAVEFORMATEX, wFormatTag), tag < 6 ? tags[tag] : input.Raw<WORD>());
    const size_t depth = input.Pick(sizeof depths / sizeof depths[0] + 1);
    WriteAt<WORD>(block, offsetof(WAVEFORMATEX, wBitsPerSample), depth < 5 ? depths[depth] : input.Raw<WORD>());
    WriteAt<WORD>(block, offsetof(WAVEFORMATEX, cbSize), input.Flag() ? 22 : input.Raw<WORD>());
    WriteAt<GUID>(block, offsetof(WAVEFORMATEXTENSIBLE, SubFormat),
                  PickGuid(input, {KSDATAFORMAT_SUBTYPE_PCM, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT}));
}

void ShapePlanar(FuzzInput& input, std::vector<BYTE>& block) {
    const LONG width = input.Quantity(4096);
    WriteAt<LONG>(block, 8, input.Flag() ? width : input.Quantity(4096));
    WriteAt<DWORD>(block, 72, input.Pick(4) == 0 ? 0u : 1u);
    WriteAt<DWORD>(block, 76, input.Pick(4) == 0 ? input.Raw<DWORD>() : static_cast<DWORD>(input.Pick(4)));
    WriteAt<LONG>(block, 84, width);
    WriteAt<LONG>(block, 88, input.Quantity(4096));
    WriteAt<WORD>(block, 94, PickBitCount(input));
    WriteAt<DWORD>(block, 96, FuzzFourcc(input));
}

}  // namespace

DWORD FuzzFourcc(FuzzInput& input) {
    static const DWORD codes[] = {FourccRgb,  FourccBitFields, FourccV210, FourccI420, FourccIyuv,
                                  FourccP420, FourccP422,      FourccP444, FourccNv12, FourccYv12,
                                  FourccYuy2, FourccHdyc,      FourccUyvy, FourccRgba};
    const size_t choice = input.Pick(sizeof codes / sizeof codes[0] + 1);
    return choice < sizeof codes / sizeof codes[0] ? codes[choice] : input.Raw<DWORD>();
}

FuzzMediaType::FuzzMediaType(FuzzInput& input) {
    type_.majortype = PickGuid(input, {MEDIATYPE_Video, MEDIATYPE_Audio, GUID_NULL});
    type_.subtype = PickGuid(input, {MEDIASUBTYPE_PCM, MEDIASUBTYPE_DOLBY_AC3, MEDIASUBTYPE_DTS, MEDIASUBTYPE_RAW_AAC1,
                                     WaveTagSubtype(0x2000), WaveTagSubtype(0x2001), MEDIASUBTYPE_YUY2,
                                     MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24, MEDIASUBTYPE_I420, MEDIASUBTYPE_NV12,
                                     MEDIASUBTYPE_YV12, MEDIASUBTYPE_UYVY, GUID_NULL});
    type_.formattype = PickGuid(input, {FORMAT_VideoInfo, FORMAT_VideoInfo2, FORMAT_WaveFormatEx, FORMAT_PlanarVideo,
                                        GUID_NULL});
    type_.bFixedSizeSamples = input.Flag();
    type_.bTemporalCompression = input.Flag();
    type_.lSampleSize = input.Raw<ULONG>();

    size_t fullSize;
    if (type_.formattype == FORMAT_VideoInfo) {
        fullSize = sizeof(VIDEOINFOHEADER);
    } else if (type_.formattype == FORMAT_VideoInfo2) {
        fullSize = sizeof(VIDEOINFOHEADER2);
    } else if (type_.formattype == FORMAT_WaveFormatEx) {
        fullSize = input.Flag() ? sizeof(WAVEFORMATEXTENSIBLE) : sizeof(WAVEFORMATEX);
    } else if (type_.formattype == FORMAT_PlanarVideo) {
        fullSize = PlanarBlockSize;
    } else {
        fullSize = input.Pick(129);
    }
    switch (input.Pick(8)) {
        case 0:
            // No block, whatever size the type claims.
            type_.cbFormat = input.Flag() ? static_cast<ULONG>(fullSize) : 0;
            return;
        case 1:
            fullSize = fullSize == 0 ? 0 : input.Pick(fullSize);
            break;
        default:
            break;
    }
    // Room for every shaped field, whatever the cut.
    std::vector<BYTE> block(fullSize < PlanarBlockSize ? PlanarBlockSize : fullSize);
    for (size_t at = 0; at < fullSize; ++at) block[at] = input.Byte();
    if (input.Flag()) {
        if (type_.formattype == FORMAT_VideoInfo) {
            ShapeBitmap(input, block, offsetof(VIDEOINFOHEADER, bmiHeader), offsetof(VIDEOINFOHEADER, rcSource));
        } else if (type_.formattype == FORMAT_VideoInfo2) {
            ShapeBitmap(input, block, offsetof(VIDEOINFOHEADER2, bmiHeader), offsetof(VIDEOINFOHEADER2, rcSource));
        } else if (type_.formattype == FORMAT_WaveFormatEx) {
            ShapeWave(input, block);
        } else if (type_.formattype == FORMAT_PlanarVideo) {
            ShapePlanar(input, block);
        }
    }
    // Exactly the claimed size, so that a read past it is caught.
    block_.reset(new BYTE[fullSize]);
    memcpy(block_.get(), block.data(), fullSize);
    type_.cbFormat = static_cast<ULONG>(fullSize);
    type_.pbFormat = block_.get();
}
