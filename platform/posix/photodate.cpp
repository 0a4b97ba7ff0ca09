// libexiv2 backend of the date a photo was taken (platform/files.h), Linux.
//
// Pairs with engine/photodate.cpp, which checks the text and keeps it per
// content. Implements contentStamp and photoTakenText for the formats made
// to hold EXIF: JPEG; TIFF and the raw formats built on it (DNG, NEF, ARW,
// PEF, SRW and others), CR2, ORF, RW2, RAF, MRW, CRW; PNG (eXIf), WebP,
// JPEG 2000, PSD; HEIF, HEIC, AVIF and CR3; and the creation time of
// QuickTime and MP4 movies. Reads no other metadata and checks nothing of
// the text. Nothing of libexiv2 leaves this file: its exceptions end here
// and its log stays silent.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <utility>

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>
#ifdef EXV_ENABLE_VIDEO
// The movie reader of libexiv2 0.27 is marked deprecated; it is still the
// library's one reader of a movie's own header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/quicktimevideo.hpp>
#endif

namespace platform {
namespace {

// The library's readers that are made for EXIF. Its others (GIF, BMP, the
// old readers of AVI, Matroska and ASF) are never asked.
bool holdsExif(int type) {
    namespace T = Exiv2::ImageType;
    for (int t : {T::jpeg, T::tiff, T::cr2, T::crw, T::mrw, T::orf, T::raf, T::rw2, T::png, T::webp,
                  T::jp2, T::psd, T::bmff})
        if (type == t) return true;
    return false;
}

struct PhotoReader {
    bool descriptorNames = false;   // whether /proc/self/fd names the open files

    PhotoReader() {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
#ifdef EXV_ENABLE_BMFF
        Exiv2::enableBMFF(true);   // HEIF, AVIF and CR3 are read only when asked for
#endif
        struct stat st;
        descriptorNames = stat("/proc/self/fd", &st) == 0 && S_ISDIR(st.st_mode);
    }
};

PhotoReader& reader() {
    static PhotoReader r;
    return r;
}

void stampOf(const struct stat& st, ContentStamp& out) {
    out.identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    out.size = static_cast<long long>(st.st_size);
    out.modifiedSec = st.st_mtim.tv_sec;
    out.modifiedNsec = st.st_mtim.tv_nsec;
    out.changedSec = st.st_ctim.tv_sec;
    out.changedNsec = st.st_ctim.tv_nsec;
}

std::string exifDate(Exiv2::ExifData& exif) {
    for (const char* key : {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized"}) {
        const auto found = exif.findKey(Exiv2::ExifKey(key));
        if (found == exif.end()) continue;
        std::string text = found->toString();
        if (!text.empty()) return text;
    }
    return "";
}

// A movie header's creation time, seconds since 1904 as the camera wrote
// them, laid out as an EXIF date: no shift of any kind.
std::string movieDate(const std::string& file) {
#ifdef EXV_ENABLE_VIDEO
    Exiv2::QuickTimeVideo movie(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(file)));
    movie.readMetadata();
    const auto found = movie.xmpData().findKey(Exiv2::XmpKey("Xmp.video.DateUTC"));
    if (found == movie.xmpData().end()) return "";
    const long long since1904 = found->toLong();
    if (!found->value().ok() || since1904 <= 0) return "";
    const time_t seconds = static_cast<time_t>(since1904 - 2082844800LL);   // 1904 to 1970
    struct tm t;
    if (!gmtime_r(&seconds, &t)) return "";   // the calendar alone, no time zone
    char text[80];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
#else
    (void)file;
    return "";
#endif
}

std::string readDate(const std::string& file) {
    Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(file));
    const int type = Exiv2::ImageFactory::getType(*io);
#ifdef EXV_ENABLE_VIDEO
    if (type == Exiv2::ImageType::qtime) return movieDate(file);
#endif
    if (!holdsExif(type)) return "";
    auto image = Exiv2::ImageFactory::open(std::move(io));
    if (!image.get()) return "";
    image->readMetadata();
    std::string text = exifDate(image->exifData());
    // MP4 and most movies open as the image family they share with HEIF.
    if (text.empty() && type == Exiv2::ImageType::bmff) text = movieDate(file);
    return text;
}

}  // namespace

bool contentStamp(const std::string& path, ContentStamp& out) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stampOf(st, out);
    return true;
}

std::string photoTakenText(const std::string& path, ContentStamp* read) {
    const PhotoReader& r = reader();
    // Only a regular file is opened: a link to a pipe or a device would
    // wait or act on being opened.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "";
    std::string text;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (read) stampOf(st, *read);
        // The library opens files by name: given the name of this
        // descriptor, it reads the regular file looked at, never what was
        // put under the path in the meantime.
        const std::string file = r.descriptorNames ? "/proc/self/fd/" + std::to_string(fd) : path;
        try {
            text = readDate(file);
        } catch (...) {
            text.clear();   // a damaged or hostile file has no date
        }
    }
    close(fd);
    return text;
}

}  // namespace platform

#ifdef EXV_ENABLE_VIDEO
#pragma GCC diagnostic pop
#endif
