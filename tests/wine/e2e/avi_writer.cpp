#include "tests/wine/e2e/avi_writer.h"

#include <utility>

namespace {

constexpr DWORD Fourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD kAvifHasIndex = 0x10;
constexpr DWORD kAvifIsInterleaved = 0x100;
constexpr DWORD kAviifKeyframe = 0x10;

// Little-endian output with back-patched chunk sizes.
class CRiffBuffer {
public:
    void Dword(DWORD value) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<BYTE>(value >> (8 * i)));
    }
    void Word(WORD value) {
        bytes_.push_back(static_cast<BYTE>(value));
        bytes_.push_back(static_cast<BYTE>(value >> 8));
    }
    void Bytes(const void* data, size_t size) {
        const BYTE* begin = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
    }
    // Starts a chunk (or a RIFF/LIST with its form type) and returns the
    // offset of its size field for EndChunk.
    size_t BeginChunk(DWORD id) {
        Dword(id);
        size_t sizeAt = bytes_.size();
        Dword(0);
        return sizeAt;
    }
    size_t BeginList(DWORD id, DWORD form) {
        size_t sizeAt = BeginChunk(id);
        Dword(form);
        return sizeAt;
    }
    // Writes the chunk's size and pads the data to an even length.
    void EndChunk(size_t sizeAt) {
        DWORD size = static_cast<DWORD>(bytes_.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i) bytes_[sizeAt + i] = static_cast<BYTE>(size >> (8 * i));
        if (bytes_.size() % 2 != 0) bytes_.push_back(0);
    }
    size_t Size() const { return bytes_.size(); }
    std::vector<BYTE> Take() { return std::move(bytes_); }

private:
    std::vector<BYTE> bytes_;
};

struct IndexEntry {
    DWORD id;
    DWORD offset;  // from the 'movi' form type
    DWORD size;
};

void WriteStreamHeader(CRiffBuffer& out, DWORD type, DWORD handler, DWORD scale, DWORD rate, DWORD length,
                       DWORD bufferSize, DWORD sampleSize, LONG width, LONG height) {
    size_t strh = out.BeginChunk(Fourcc('s', 't', 'r', 'h'));
    out.Dword(type);
    out.Dword(handler);
    out.Dword(0);  // flags
    out.Word(0);   // priority
    out.Word(0);   // language
    out.Dword(0);  // initial frames
    out.Dword(scale);
    out.Dword(rate);
    out.Dword(0);  // start
    out.Dword(length);
    out.Dword(bufferSize);
    out.Dword(0xFFFFFFFF);  // quality: default
    out.Dword(sampleSize);
    out.Word(0);
    out.Word(0);
    out.Word(static_cast<WORD>(width));
    out.Word(static_cast<WORD>(height));
    out.EndChunk(strh);
}

}  // namespace

std::vector<BYTE> BuildAviFile(const AviContent& content) {
    const BITMAPINFOHEADER& video = content.video;
    const WAVEFORMATEX& audio = content.audio;
    if (content.frames.empty() || content.audioChunks.size() > content.frames.size()) return {};
    if (video.biSizeImage == 0 || audio.nBlockAlign == 0 || content.microSecondsPerFrame == 0) return {};
    DWORD audioBuffer = 0;
    DWORD audioBytes = 0;
    for (const auto& frame : content.frames)
        if (frame.size() != video.biSizeImage) return {};
    for (const auto& chunk : content.audioChunks) {
        if (chunk.size() % audio.nBlockAlign != 0) return {};
        if (chunk.size() > audioBuffer) audioBuffer = static_cast<DWORD>(chunk.size());
        audioBytes += static_cast<DWORD>(chunk.size());
    }
    const DWORD frameCount = static_cast<DWORD>(content.frames.size());

    CRiffBuffer out;
    size_t riff = out.BeginList(Fourcc('R', 'I', 'F', 'F'), Fourcc('A', 'V', 'I', ' '));

    size_t hdrl = out.BeginList(Fourcc('L', 'I', 'S', 'T'), Fourcc('h', 'd', 'r', 'l'));
    size_t avih = out.BeginChunk(Fourcc('a', 'v', 'i', 'h'));
    out.Dword(content.microSecondsPerFrame);
    out.Dword(static_cast<DWORD>((static_cast<ULONGLONG>(video.biSizeImage) * 1000000) / content.microSecondsPerFrame) +
              audio.nAvgBytesPerSec);
    out.Dword(0);  // padding granularity
    out.Dword(kAvifHasIndex | kAvifIsInterleaved);
    out.Dword(frameCount);
    out.Dword(0);  // initial frames
    out.Dword(2);  // streams
    out.Dword(video.biSizeImage);
    out.Dword(static_cast<DWORD>(video.biWidth));
    out.Dword(static_cast<DWORD>(video.biHeight < 0 ? -video.biHeight : video.biHeight));
    for (int i = 0; i < 4; ++i) out.Dword(0);
    out.EndChunk(avih);

    size_t videoList = out.BeginList(Fourcc('L', 'I', 'S', 'T'), Fourcc('s', 't', 'r', 'l'));
    WriteStreamHeader(out, Fourcc('v', 'i', 'd', 's'), video.biCompression, content.microSecondsPerFrame, 1000000,
                      frameCount, video.biSizeImage, 0, video.biWidth, video.biHeight < 0 ? -video.biHeight : video.biHeight);
    size_t videoFormat = out.BeginChunk(Fourcc('s', 't', 'r', 'f'));
    out.Bytes(&video, sizeof(video));
    out.EndChunk(videoFormat);
    out.EndChunk(videoList);

    size_t audioList = out.BeginList(Fourcc('L', 'I', 'S', 'T'), Fourcc('s', 't', 'r', 'l'));
    WriteStreamHeader(out, Fourcc('a', 'u', 'd', 's'), 0, audio.nBlockAlign, audio.nAvgBytesPerSec,
                      audioBytes / audio.nBlockAlign, audioBuffer, audio.nBlockAlign, 0, 0);
    size_t audioFormat = out.BeginChunk(Fourcc('s', 't', 'r', 'f'));
    out.Bytes(&audio, content.shortAudioHeader ? sizeof(PCMWAVEFORMAT) : sizeof(audio));
    out.EndChunk(audioFormat);
    out.EndChunk(audioList);
    out.EndChunk(hdrl);

    std::vector<IndexEntry> index;
    size_t movi = out.BeginList(Fourcc('L', 'I', 'S', 'T'), Fourcc('m', 'o', 'v', 'i'));
    const size_t moviForm = movi + 4;
    auto writeData = [&](DWORD id, const std::vector<BYTE>& data) {
        index.push_back({id, static_cast<DWORD>(out.Size() - moviForm), static_cast<DWORD>(data.size())});
        size_t chunk = out.BeginChunk(id);
        out.Bytes(data.data(), data.size());
        out.EndChunk(chunk);
    };
    for (DWORD i = 0; i < frameCount; ++i) {
        writeData(Fourcc('0', '0', 'd', 'b'), content.frames[i]);
        if (i < content.audioChunks.size()) writeData(Fourcc('0', '1', 'w', 'b'), content.audioChunks[i]);
    }
    out.EndChunk(movi);

    size_t idx1 = out.BeginChunk(Fourcc('i', 'd', 'x', '1'));
    for (const IndexEntry& entry : index) {
        out.Dword(entry.id);
        out.Dword(kAviifKeyframe);
        out.Dword(entry.offset);
        out.Dword(entry.size);
    }
    out.EndChunk(idx1);
    out.EndChunk(riff);
    return out.Take();
}

HRESULT WriteAviFile(const WCHAR* path, const AviContent& content) {
    std::vector<BYTE> bytes = BuildAviFile(content);
    if (bytes.empty()) return E_INVALIDARG;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    HRESULT hr = ok ? (written == bytes.size() ? S_OK : E_FAIL) : HRESULT_FROM_WIN32(GetLastError());
    if (!CloseHandle(file) && SUCCEEDED(hr)) hr = HRESULT_FROM_WIN32(GetLastError());
    return hr;
}
