// The date taken: a folder of camera-style JPEG photos, their EXIF written
// by libexiv2, filled into the table with "%dx%_%nr%.%erw%" and renamed
// anew by typing; beside it the same rebuilds with "%dm%" and without the
// date taken at all.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "bench/groups.h"
#include "bench/harness.h"
#include "bench/workloads.h"
#include "engine/photodate.h"
#include "support/ids.h"

namespace bench {
namespace {

const std::string FirstShot = "2023:07:08 00:00:00";

void expect(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("check failed: " + what);
}

// A JPEG as a camera leaves it, without its maker note: the tags of a
// camera in IFD0 and the EXIF IFD, GPS, and a thumbnail in IFD1. libexiv2
// writes them into its own blank JPEG.
std::string cameraJpeg(const std::string& dir) {
    const std::string path = dir + "template.jpg";
    {
        auto blank = Exiv2::ImageFactory::create(Exiv2::ImageType::jpeg, path);
        blank->writeMetadata();
    }
    Exiv2::DataBuf thumbnail = Exiv2::readFile(path);
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    const char* texts[][2] = {
        {"Exif.Image.Make", "Canon"}, {"Exif.Image.Model", "Canon EOS R6"},
        {"Exif.Image.Software", "Firmware Version 1.8.1"}, {"Exif.Image.DateTime", "2023:07:08 00:00:00"},
        {"Exif.Image.Artist", ""}, {"Exif.Photo.DateTimeOriginal", FirstShot.c_str()},
        {"Exif.Photo.DateTimeDigitized", FirstShot.c_str()}, {"Exif.Photo.OffsetTimeOriginal", "+02:00"},
        {"Exif.Photo.SubSecTimeOriginal", "42"}, {"Exif.Photo.LensModel", "RF24-105mm F4 L IS USM"},
        {"Exif.Photo.BodySerialNumber", "012345678901"}, {"Exif.GPSInfo.GPSLatitudeRef", "N"},
        {"Exif.GPSInfo.GPSLongitudeRef", "E"},
    };
    for (const auto& [key, value] : texts) exif[key] = value;
    const char* numbers[][2] = {
        {"Exif.Image.Orientation", "1"}, {"Exif.Image.XResolution", "72/1"}, {"Exif.Image.YResolution", "72/1"},
        {"Exif.Image.ResolutionUnit", "2"}, {"Exif.Photo.ExposureTime", "1/250"}, {"Exif.Photo.FNumber", "8/1"},
        {"Exif.Photo.ExposureProgram", "3"}, {"Exif.Photo.ISOSpeedRatings", "100"},
        {"Exif.Photo.ShutterSpeedValue", "8/1"}, {"Exif.Photo.ApertureValue", "6/1"},
        {"Exif.Photo.ExposureBiasValue", "0/1"}, {"Exif.Photo.MeteringMode", "5"}, {"Exif.Photo.Flash", "16"},
        {"Exif.Photo.FocalLength", "35/1"}, {"Exif.Photo.ColorSpace", "1"}, {"Exif.Photo.PixelXDimension", "6000"},
        {"Exif.Photo.PixelYDimension", "4000"}, {"Exif.Photo.ExposureMode", "0"}, {"Exif.Photo.WhiteBalance", "0"},
        {"Exif.GPSInfo.GPSLatitude", "48/1 8/1 1234/100"}, {"Exif.GPSInfo.GPSLongitude", "11/1 34/1 5678/100"},
    };
    for (const auto& [key, value] : numbers) {
        Exiv2::ExifKey k(key);
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(k.defaultTypeId());
        v->read(value);
        exif.add(k, v.get());
    }
    Exiv2::ExifThumb(exif).setJpegThumbnail(thumbnail.pData_, thumbnail.size_);
    image->writeMetadata();
    const Exiv2::DataBuf written = Exiv2::readFile(path);
    unlink(path.c_str());
    return std::string(reinterpret_cast<const char*>(written.pData_), static_cast<std::size_t>(written.size_));
}

// "2023:07:08 00:00:00" plus `seconds`, within July 2023.
std::string shotAfter(int seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "2023:07:%02d %02d:%02d:%02d", 8 + seconds / 86400, seconds / 3600 % 24,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

// The n photos IMG_000001.jpg ..., each shot 7 s after the one before;
// written once, read from the page cache in every run.
std::string photoFolder(Folders& folders, int n) {
    const std::string dir = folders.scratch();
    const std::string photo = cameraJpeg(dir);
    std::vector<std::size_t> dates;   // every place the first moment is written
    for (std::size_t at = photo.find(FirstShot); at != std::string::npos; at = photo.find(FirstShot, at + 1))
        dates.push_back(at);
    expect(dates.size() >= 2, "the template's dates");
    std::string bytes = photo;
    for (int i = 1; i <= n; ++i) {
        const std::string shot = shotAfter(7 * (i - 1));
        for (std::size_t at : dates) bytes.replace(at, shot.size(), shot);
        const std::string path = dir + pictureName(i);
        const int f = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (f < 0 || write(f, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("cannot write " + path);
        close(f);
    }
    return dir;
}

// The name row `row` gets from "%dx%_%nr%.%erw%" with `digits` (up to 16) digits.
std::string takenName(int row, int digits) {
    const std::string shot = shotAfter(7 * row);
    char nr[32];
    std::snprintf(nr, sizeof nr, "%016d", row + 1);   // the number's last `digits` digits
    return shot.substr(0, 4) + "_" + shot.substr(5, 2) + "_" + shot.substr(8, 2) + "_" + (nr + 16 - digits) + ".jpg";
}

}  // namespace

std::vector<Line> measurePhotos(Context& c, int n) {
    const double start = nowMs();
    const std::string dir = photoFolder(c.folders, n);
    std::fprintf(stderr, "  %d photos written in %.1f s\n", n, (nowMs() - start) / 1000);
    const std::string taken = "%dx%_%nr%.%erw%", modified = "%dm%_%nr%.%erw%", plain = "neu_%nr%.%erw%";
    Samples fill, fillQt, dx, dm, dmOn, dmOff, plainOn, plainOff;
    ProgramWindow& w = c.headless;
    w.setDigits("3");
    for (int run = 0; run <= c.runs; ++run) {
        // The first fill: nothing of the folder read before.
        engine::forgetPhotoDates();
        w.setPattern(taken);
        w.chooseFolder(dir);
        fill.add(w.fullRebuild());
        expect(w.rows() == n && w.cell(n - 1, ids::ColNew) == takenName(n - 1, 3),
               "names of the first fill: " + w.cell(n - 1, ids::ColNew) + " for " + takenName(n - 1, 3));
        expect(engine::photoReadCount() == n, "every photo read once");
        if (c.qt) {
            engine::forgetPhotoDates();
            c.qt->setPattern(taken);
            c.qt->chooseFolder(dir);
            fillQt.add(c.qt->fullRebuild());
            expect(c.qt->rows() == n && c.qt->cell(0, ids::ColNew) == takenName(0, 3), "names of the Qt fill");
            w.use();
        }
        // Typing a new number of digits, back to back, three pairs a run (a
        // rebuild takes a tenth of a second, a neighbour's burst as long);
        // which goes first alternates.
        auto typed = [&](const std::string& pattern, Samples& s) {
            w.setPattern(pattern);
            w.setDigits("3");
            s.add(w.recomputeNames("4"));
        };
        auto pairs = std::vector<std::function<void()>>{
            [&] {
                typed(taken, dx);
                expect(w.cell(n - 1, ids::ColNew) == takenName(n - 1, 4), "names typed with %dx%");
            },
            [&] { typed(modified, dm); },
        };
        for (int k = 0; k < 6; ++k) pairs[static_cast<std::size_t>((run + k) % 2)]();
        expect(engine::photoReadCount() == n, "no photo read again");
        // Patterns without the date taken, with and without it in the program.
        for (int k = 0; k < 6; ++k) {
            const bool on = (run + k) % 2 == 0;
            engine::photoDatesOn = on;
            typed(modified, on ? dmOn : dmOff);
            w.setPattern(plain);
            w.chooseFolder(dir);
            (on ? plainOn : plainOff).add(w.fullRebuild());
            expect(w.cell(0, ids::ColNew) == "neu_0001.jpg", "the plain pattern's names");
            engine::photoDatesOn = true;
        }
        w.setDigits("3");
    }
    c.folders.drop(dir);
    std::vector<Line> lines;
    Line limit{"first fill (mode 0), %dx%_%nr%, headless", n, fill, "limit", {}, {1.0, false, 20000, "<= 1.5 s"}};
    limit.refValue = 1500;
    lines.push_back(limit);
    if (c.qt) {
        limit.workload = "first fill (mode 0), %dx%_%nr%, Qt";
        limit.ours = fillQt;
        lines.push_back(limit);
    }
    lines.push_back({"new names (mode 1), %dx%_%nr%", n, dx, "the same with %dm%_%nr%", dm,
                     {1.2, false, 0, "<= 1.2x"}, true});
    lines.push_back({"new names (mode 1), %dm%_%nr%", n, dmOn, "the same without the date taken", dmOff,
                     {1.05, false, 0, "<= 1.05x"}, true});
    lines.push_back({"full rebuild (mode 0), neu_%nr%", n, plainOn, "the same without the date taken", plainOff,
                     {1.05, false, 0, "<= 1.05x"}, true});
    return lines;
}

}  // namespace bench
