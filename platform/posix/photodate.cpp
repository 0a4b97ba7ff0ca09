// libexiv2 backend of the date a photo was taken (platform/files.h), Linux.
//
// Pairs with engine/photodate.cpp, which checks the text and keeps it per
// content. Implements contentStamp and photoTakenText for the formats made
// to hold EXIF: JPEG; TIFF and the raw formats built on it (DNG, NEF, ARW,
// PEF, SRW and others), CR2, ORF, RW2, RAF, MRW, CRW; PNG (eXIf), WebP,
// JPEG 2000, PSD; HEIF, HEIC, AVIF and CR3; and the creation time of
// QuickTime and MP4 movies. Reads no other metadata and checks nothing of
// the text. The library reads the one descriptor opened here, through
// DescriptorIo below, never a path. Nothing of libexiv2 leaves this file:
// its exceptions end here and its log stays silent.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

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
    // The bytes DescriptorIo holds of the one file read at a time, kept
    // from file to file: a large block asked of the allocator for every
    // photo costs more than the reading of its EXIF.
    std::vector<Exiv2::byte> window;

    PhotoReader() {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
#ifdef EXV_ENABLE_BMFF
        Exiv2::enableBMFF(true);   // HEIF, AVIF and CR3 are read only when asked for
#endif
    }
};

PhotoReader& reader() {
    static PhotoReader r;
    return r;
}

// An open file as libexiv2 reads it, by offset (pread) through a window of
// its bytes, so that a parser's many short reads cost no system call each
// and a file put under the path meanwhile is never read. A mapping of the
// whole file is made only for the readers that ask for one (TIFF and the
// raw formats), as the library's own file access makes it. Never writes.
class DescriptorIo : public Exiv2::BasicIo {
public:
    DescriptorIo(int fd, long long size, std::string path)
        : fd_(fd), size_(size), path_(std::move(path)), window_(reader().window) {
        window_.clear();
    }
    ~DescriptorIo() override { munmap(); }

    int open() override {
        at_ = 0;
        eof_ = false;
        return 0;
    }
    int close() override { return munmap(); }
    long write(const Exiv2::byte*, long) override { return 0; }
    long write(Exiv2::BasicIo&) override { return 0; }
    int putb(Exiv2::byte) override { return EOF; }
    void transfer(Exiv2::BasicIo&) override { throw std::logic_error("a photo is only read"); }

    Exiv2::DataBuf read(long count) override {
        // Never more than the file has, whatever size a damaged field asks for.
        Exiv2::DataBuf buf(static_cast<long>(std::clamp<long long>(count, 0, remaining())));
        buf.size_ = read(buf.pData_, buf.size_);
        return buf;
    }
    long read(Exiv2::byte* buf, long count) override {
        if (count <= 0) return 0;
        const long long wanted = std::min<long long>(count, remaining());
        const long long got = copy(buf, wanted);
        at_ += got;
        if (count > got) eof_ = true;
        return static_cast<long>(got);
    }
    int getb() override {
        Exiv2::byte b;
        return read(&b, 1) == 1 ? b : EOF;
    }
    int seek(long offset, Position from) override {
        const long long base = from == beg ? 0 : from == cur ? at_ : size_;
        if ((offset > 0 && base > size_ - offset) || base + offset < 0) return 1;   // outside the file
        at_ = base + offset;
        eof_ = false;
        return 0;
    }
    // The library asks for the whole file of a TIFF-based photo at once.
    // It gets a copy, not a mapping: a mapped file that another program
    // cuts short meanwhile would end the program with SIGBUS. What is no
    // longer there reads as zero bytes, and the date checks refuse it.
    Exiv2::byte* mmap(bool writeable) override {
        if (writeable) throw std::logic_error("a photo is only read");
        if (size_ > MostCopied) throw std::runtime_error("too large to copy");
        if (whole_.empty() && size_ > 0) {
            whole_.assign(static_cast<std::size_t>(size_), 0);
            if (readAt(whole_.data(), size_, 0) < 0) throw std::runtime_error("read");
        }
        return whole_.empty() ? nullptr : whole_.data();
    }
    int munmap() override {
        std::vector<Exiv2::byte>().swap(whole_);
        return 0;
    }
    long tell() const override { return static_cast<long>(at_); }
    std::size_t size() const override { return static_cast<std::size_t>(size_); }
    bool isopen() const override { return true; }
    int error() const override { return failed_ ? 1 : 0; }
    bool eof() const override { return eof_; }
    std::string path() const override { return path_; }

private:
    static constexpr long long WindowSize = 16384;
    // More than any photo of a camera: a larger TIFF gives no date rather than that much memory.
    static constexpr long long MostCopied = 512LL << 20;

    long long remaining() const { return std::max<long long>(size_ - at_, 0); }

    // Copies `count` bytes from the current place; fewer where the file
    // is shorter now than it was when it was opened.
    long long copy(Exiv2::byte* buf, long long count) {
        if (count >= WindowSize) return readAt(buf, count, at_);
        if (at_ < windowAt_ || at_ + count > windowAt_ + static_cast<long long>(window_.size())) {
            window_.resize(static_cast<std::size_t>(WindowSize));
            const long long got = readAt(window_.data(), std::min(WindowSize, size_ - at_), at_);
            window_.resize(static_cast<std::size_t>(std::max<long long>(got, 0)));
            windowAt_ = at_;
        }
        const long long have = std::min<long long>(count, windowAt_ + static_cast<long long>(window_.size()) - at_);
        std::memcpy(buf, window_.data() + (at_ - windowAt_), static_cast<std::size_t>(have));
        return have;
    }
    long long readAt(Exiv2::byte* buf, long long count, long long offset) {
        long long done = 0;
        while (done < count) {
            const ssize_t k = pread(fd_, buf + done, static_cast<std::size_t>(count - done), offset + done);
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) {
                failed_ = k < 0;
                break;
            }
            done += k;
        }
        return done;
    }

    int fd_;
    long long size_;
    std::string path_;
    long long at_ = 0;
    bool eof_ = false, failed_ = false;
    std::vector<Exiv2::byte>& window_;
    long long windowAt_ = 0;
    std::vector<Exiv2::byte> whole_;   // the copy handed out for mmap
};

Exiv2::BasicIo::AutoPtr ioOf(int fd, long long size, const std::string& path) {
    return Exiv2::BasicIo::AutoPtr(new DescriptorIo(fd, size, path));
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
std::string movieDate(Exiv2::Image& movie) {
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
}

std::string readDate(int fd, long long size, const std::string& path) {
    auto image = Exiv2::ImageFactory::open(ioOf(fd, size, path));
    if (!image.get()) return "";
    const int type = image->imageType();
#ifdef EXV_ENABLE_VIDEO
    if (type == Exiv2::ImageType::qtime) {
        image->readMetadata();
        return movieDate(*image);
    }
#endif
    if (!holdsExif(type)) return "";
    image->readMetadata();
    std::string text = exifDate(image->exifData());
#ifdef EXV_ENABLE_VIDEO
    // MP4 and most movies open as the image family they share with HEIF.
    if (text.empty() && type == Exiv2::ImageType::bmff) {
        image.reset();
        Exiv2::QuickTimeVideo movie(ioOf(fd, size, path));
        movie.readMetadata();
        text = movieDate(movie);
    }
#endif
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
    reader();
    // Only a regular file is opened: a link to a pipe or a device would
    // wait or act on being opened.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "";
    std::string text;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (read) stampOf(st, *read);
        try {
            text = readDate(fd, static_cast<long long>(st.st_size), path);
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
