// Fuzzes the date a photo was taken: random bytes after the valid start of
// a photo (a JPEG with its EXIF segment, a TIFF of either byte order, a
// PNG, a WebP, a HEIF or an MP4 file), written to a file and read as the
// pattern rule reads it. The reading must come back, without a crash or a
// report of the sanitizers, and a date it gives is always a real one. The
// check of the text runs on the raw bytes as well.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/photodate.h"
#include "support/text.h"

namespace {

const std::string Exif("Exif\0\0", 6);

std::string be(uint32_t v, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
    return s;
}
std::string le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}

// The start of a file of the kind the first byte picks; the rest follows it.
std::string withStart(unsigned kind, const std::string& rest) {
    switch (kind % 7) {
        case 0: {   // JPEG: the EXIF segment holds the rest, as far as a segment can
            const std::string tiff = "II*" + std::string(1, '\0') + le(8, 4);
            const std::size_t length = std::min<std::size_t>(2 + Exif.size() + tiff.size() + rest.size(), 0xFFFF);
            return "\xFF\xD8\xFF\xE1" + be(static_cast<uint32_t>(length), 2) + Exif + tiff + rest;
        }
        case 1: return "II*" + std::string(1, '\0') + le(8, 4) + rest;
        case 2: return std::string("MM\0*", 4) + be(8, 4) + rest;
        case 3: return "\x89PNG\r\n\x1A\n" + rest;
        case 4: return "RIFF" + le(static_cast<uint32_t>(4 + rest.size()), 4) + "WEBP" + rest;
        case 5: return be(24, 4) + "ftypheic" + be(0, 4) + "mif1heic" + rest;
        default: return be(24, 4) + "ftypisom" + be(0x200, 4) + "isommp41" + rest;
    }
}

const std::string& photoPath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/photodate-fuzz-XXXXXX";
        if (!mkdtemp(dir.data())) std::abort();
        static std::string folder = dir;
        std::atexit([] {
            std::remove((folder + "/photo").c_str());
            rmdir(folder.c_str());
        });
        return dir + "/photo";
    }();
    return path;
}

// A moment that was handed out is one of the calendar: laid out as EXIF
// lays it out, it is taken back as the same.
void mustBeReal(const platform::LocalTime& t) {
    const std::string text = support::formatDate("%yyyy:%mm:%dd %hh:%ii:%ss", t);
    platform::LocalTime again;
    if (!engine::takenMoment(text, again) || support::formatDate("%yyyy:%mm:%dd %hh:%ii:%ss", again) != text)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    platform::LocalTime t;
    if (engine::takenMoment(raw.substr(1), t)) mustBeReal(t);

    const std::string bytes = withStart(data[0], std::string(raw.substr(1)));
    FILE* f = std::fopen(photoPath().c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    // Each input is a new file, even where size and time stay the same.
    engine::forgetPhotoDates();
    if (engine::photoTaken(photoPath(), t)) mustBeReal(t);
    return 0;
}
