// Photo files made byte by byte for the cases of the date taken: an EXIF
// block (a TIFF structure) with the two dates, and the smallest file of
// each container that carries one. The knobs spoil one field on purpose,
// as a damaged or hostile file would.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#ifdef _WIN32
#include <windows.h>
#endif

namespace testutil::photo {

// Wine 8's Windows Imaging Component lists no EXIF of JPEG or TIFF files
// (its metadata readers enumerate nothing), so no photo has a date there.
inline const char* noDatesHere() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version"))
        return "Wine 8's imaging component exposes no EXIF of JPEG or TIFF files";
#endif
    return nullptr;
}

struct Exif {
    std::string original, digitized;   // DateTimeOriginal, DateTimeDigitized; "" leaves it out
    bool terminated = true;            // the NUL that ends an EXIF text
    bool motorola = false;             // big-endian ("MM"), as Nikon writes
    bool dng = false;                  // IFD0 names a DNG version
    int64_t exifPointer = -1;          // where IFD0 says the EXIF IFD is (-1: where it is)
    uint32_t nextIfd = 0;              // IFD0's next IFD (8: itself again)
    int64_t originalAt = -1;           // where the original's text is said to be (-1: where it is)

    explicit Exif(std::string o = "", std::string d = "") : original(std::move(o)), digitized(std::move(d)) {}
    Exif& unterminated() { return terminated = false, *this; }
    Exif& bigEndian() { return motorola = true, *this; }
    Exif& asDng() { return dng = true, *this; }
    Exif& exifIfdSaidAt(int64_t at) { return exifPointer = at, *this; }
    Exif& nextIfdAt(uint32_t at) { return nextIfd = at, *this; }
    Exif& originalSaidAt(int64_t at) { return originalAt = at, *this; }
};

namespace detail {
inline void put(std::string& s, uint64_t v, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * (big ? bytes - 1 - i : i)));
}
inline std::string be(uint64_t v, int bytes) {
    std::string s;
    put(s, v, bytes, true);
    return s;
}
// A box of the ISO media file format (HEIC, MP4): size, type, content.
inline std::string box(const char* type, const std::string& content) {
    return be(8 + content.size(), 4) + type + content;
}
inline uint32_t crc32(const std::string& s) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}
inline std::string pngChunk(const char* type, const std::string& data) {
    const std::string body = type + data;
    return be(data.size(), 4) + body + be(crc32(body), 4);
}
}  // namespace detail

// The EXIF block: header, IFD0 (with `image`, the tags of one grey pixel
// that makes it a TIFF image of its own; the EXIF pointer; a DNG version),
// the EXIF IFD with the dates, their texts, the pixel.
inline std::string tiff(const Exif& e, bool image = false) {
    using detail::put;
    const bool big = e.motorola;
    auto entry = [&](std::string& s, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put(s, tag, 2, big);
        put(s, type, 2, big);
        put(s, count, 4, big);
        if (type == 3) put(s, value, 2, big), put(s, 0, 2, big);   // a SHORT sits left in its field
        else put(s, value, 4, big);
    };
    const std::string texts[2] = {e.original, e.digitized};
    std::string data;
    uint32_t exifCount = 0;
    for (const std::string& t : texts)
        if (!t.empty()) ++exifCount, data += t + (e.terminated ? std::string(1, '\0') : "");
    const uint32_t ifd0Count = (image ? 8 : 0) + 1 + (e.dng ? 1 : 0);
    const uint32_t exifAt = 8 + 2 + 12 * ifd0Count + 4;
    const uint32_t dataAt = exifAt + 2 + 12 * exifCount + 4;
    const uint32_t pixelAt = dataAt + static_cast<uint32_t>(data.size());
    std::string s = big ? "MM" : "II";
    put(s, 42, 2, big);
    put(s, 8, 4, big);
    put(s, ifd0Count, 2, big);
    if (image) {
        // width, height, bits, no compression, black is zero, the strip, its rows, its size
        const uint16_t tags[8] = {256, 257, 258, 259, 262, 273, 278, 279};
        const uint32_t values[8] = {1, 1, 8, 1, 1, pixelAt, 1, 1};
        for (int i = 0; i < 8; ++i) entry(s, tags[i], tags[i] == 273 || tags[i] == 279 ? 4 : 3, 1, values[i]);
    }
    entry(s, 0x8769, 4, 1, e.exifPointer >= 0 ? static_cast<uint32_t>(e.exifPointer) : exifAt);   // ExifIFDPointer
    if (e.dng) entry(s, 0xC612, 1, 4, big ? 0x01040000u : 0x00000401u);   // DNGVersion 1.4.0.0
    put(s, e.nextIfd, 4, big);
    put(s, exifCount, 2, big);
    uint32_t at = dataAt;
    const uint16_t tags[2] = {0x9003, 0x9004};
    for (int i = 0; i < 2; ++i) {
        if (texts[i].empty()) continue;
        const uint32_t size = static_cast<uint32_t>(texts[i].size()) + (e.terminated ? 1 : 0);
        entry(s, tags[i], 2, size, i == 0 && e.originalAt >= 0 ? static_cast<uint32_t>(e.originalAt) : at);
        at += size;
    }
    put(s, 0, 4, big);
    return s + data + (image ? std::string(1, '\x80') : "");
}

// A JPEG of one grey 8x8 block with the EXIF block in its APP1 segment.
inline std::string jpeg(const std::string& exif) {
    using detail::be;
    const std::string app1 = "Exif" + std::string(2, '\0') + exif;
    const std::string huffman = std::string(1, '\x01') + std::string(15, '\0') + std::string(1, '\0');
    return "\xFF\xD8\xFF\xE1" + be(2 + app1.size(), 2) + app1 +
           "\xFF\xDB" + be(67, 2) + std::string(1, '\0') + std::string(64, '\x01') +
           std::string("\xFF\xC0\x00\x0B\x08\x00\x08\x00\x08\x01\x01\x11\x00", 13) +
           "\xFF\xC4" + be(20, 2) + std::string(1, '\x00') + huffman +   // DC: one code, category 0
           "\xFF\xC4" + be(20, 2) + std::string(1, '\x10') + huffman +   // AC: one code, end of block
           std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10) + "\x3F" + "\xFF\xD9";
}

// A PNG of one grey pixel with the EXIF block in an eXIf chunk (none for "").
inline std::string png(const std::string& exif) {
    using detail::be;
    // The pixel row (filter 0, grey 0x80) in a stored deflate block.
    const std::string row("\x00\x80", 2);
    uint32_t a = 1, b = 0;
    for (unsigned char c : row) b = (b + (a = (a + c) % 65521)) % 65521;
    const std::string idat = std::string("\x78\x01\x01\x02\x00\xFD\xFF", 7) + row + be((b << 16) | a, 4);
    return "\x89PNG\r\n\x1A\n" + detail::pngChunk("IHDR", be(1, 4) + be(1, 4) + std::string("\x08\0\0\0\0", 5)) +
           (exif.empty() ? "" : detail::pngChunk("eXIf", exif)) + detail::pngChunk("IDAT", idat) +
           detail::pngChunk("IEND", "");
}

// A WebP header (extended format, EXIF flag) with the EXIF block in its EXIF chunk.
inline std::string webp(const std::string& exif) {
    std::string le4, vp8x("\x08\0\0\0\0\0\0\0\0\0", 10);
    std::string body = "WEBP";
    auto chunk = [&](const char* type, const std::string& data) {
        std::string size;
        detail::put(size, data.size(), 4, false);
        body += type + size + data + (data.size() % 2 ? std::string(1, '\0') : "");
    };
    chunk("VP8X", vp8x);
    chunk("EXIF", exif);
    detail::put(le4, body.size(), 4, false);
    return "RIFF" + le4 + body;
}

// A HEIF file whose one item is the EXIF block ("Exif" item, located by iloc).
inline std::string heic(const std::string& exif) {
    using detail::be;
    using detail::box;
    const std::string ftyp = box("ftyp", std::string("heic") + be(0, 4) + "mif1heic");
    const std::string payload = be(6, 4) + "Exif" + std::string(2, '\0') + exif;
    auto metaWith = [&](uint32_t offset) {
        const std::string full0 = be(0, 4);   // version 0, no flags
        const std::string hdlr = box("hdlr", full0 + be(0, 4) + "pict" + std::string(12, '\0') + std::string(1, '\0'));
        const std::string infe = box("infe", be(0x02000000, 4) + be(1, 2) + be(0, 2) + "Exif" + std::string(1, '\0'));
        const std::string iinf = box("iinf", full0 + be(1, 2) + infe);
        const std::string iloc = box("iloc", full0 + be(0x4400, 2) + be(1, 2) + be(1, 2) + be(0, 2) + be(1, 2) +
                                                 be(offset, 4) + be(payload.size(), 4));
        return box("meta", full0 + hdlr + iinf + iloc);
    };
    const std::size_t payloadAt = ftyp.size() + metaWith(0).size() + 8;
    return ftyp + metaWith(static_cast<uint32_t>(payloadAt)) + box("mdat", payload);
}

// An MP4 (or with brand "qt  " a MOV) whose movie header says when it was
// made, in seconds since 1904; brand "" leaves out the file type, as old
// QuickTime movies do.
inline std::string mp4(uint32_t created, const std::string& brand = "isom") {
    using detail::be;
    std::string mvhd = be(0, 4) + be(created, 4) + be(created, 4) + be(1000, 4) + be(0, 4) + be(0x00010000, 4) +
                       be(0x0100, 2) + std::string(10, '\0');
    const uint32_t matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (uint32_t m : matrix) mvhd += be(m, 4);
    mvhd += std::string(24, '\0') + be(2, 4);
    const std::string moov = detail::box("moov", detail::box("mvhd", mvhd));
    if (brand.empty()) return moov;
    return detail::box("ftyp", brand + be(0x200, 4) + brand + "mp41") + moov;
}

}  // namespace testutil::photo
