// Windows Imaging Component backend of the date a photo was taken
// (platform/files.h).
//
// Pairs with engine/photodate.cpp, which checks the text and keeps it per
// content. Implements contentStamp and photoTakenText through the decoder
// WIC picks for the file (JPEG, TIFF and DNG, and HEIF and the raw formats
// where their codecs are installed): the EXIF text of DateTimeOriginal,
// else DateTimeDigitized, from the metadata of the first frame, as the
// file holds it. Movies are not read. Wine 8's WIC lists no EXIF of JPEG
// or TIFF files, so under Wine every file has no date.
#include "platform/files.h"
#include "platform/win32/wide.h"

#include <windows.h>
#include <wincodec.h>

namespace platform {
namespace {

using win32::widePath;

struct PhotoReader {
    IWICImagingFactory* factory = nullptr;   // kept for the whole run

    PhotoReader() {
        // Any mode of COM this thread already has serves as well.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory))))
            factory = nullptr;
    }
};

PhotoReader& reader() {
    static PhotoReader r;
    return r;
}

// Releases a COM object on every way out.
template <class T>
struct Held {
    T* p = nullptr;
    ~Held() {
        if (p) p->Release();
    }
};

std::string textAt(IWICMetadataQueryReader* query, const wchar_t* path) {
    PROPVARIANT value;
    PropVariantInit(&value);
    std::string text;
    if (SUCCEEDED(query->GetMetadataByName(path, &value))) {
        if (value.vt == VT_LPSTR && value.pszVal) text = value.pszVal;
        else if (value.vt == VT_LPWSTR && value.pwszVal) text = win32::narrow(value.pwszVal);
    }
    PropVariantClear(&value);
    return text;
}

}  // namespace

bool contentStamp(const std::string& path, ContentStamp& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    out = {};
    out.size = static_cast<long long>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    const uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;   // 100 ns since 1601
    out.modifiedSec = static_cast<int64_t>(ticks / 10000000u);
    out.modifiedNsec = static_cast<int64_t>(ticks % 10000000u) * 100;
    return true;
}

std::string photoTakenText(const std::string& path, ContentStamp* read) {
    IWICImagingFactory* factory = reader().factory;
    ContentStamp stamp;
    if (!factory || !contentStamp(path, stamp)) return "";
    if (read) *read = stamp;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICMetadataQueryReader> query;
    if (FAILED(factory->CreateDecoderFromFilename(widePath(path).c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder.p)) ||
        FAILED(decoder.p->GetFrame(0, &frame.p)) || FAILED(frame.p->GetMetadataQueryReader(&query.p)))
        return "";
    // JPEG keeps its EXIF in the APP1 segment, the TIFF family at the root.
    for (const wchar_t* at : {L"/app1/ifd/exif/{ushort=36867}", L"/app1/ifd/exif/{ushort=36868}",
                              L"/ifd/exif/{ushort=36867}", L"/ifd/exif/{ushort=36868}"}) {
        std::string text = textAt(query.p, at);
        if (!text.empty()) return text;
    }
    return "";
}

}  // namespace platform
