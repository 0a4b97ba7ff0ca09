// The moment a photo was taken (see photodate.h).
#include "engine/photodate.h"

#include <unordered_map>

#include "engine/repaint.h"

namespace engine {

bool photoDatesOn = true;

namespace {

// A number of `count` digits at `at`; -1 where one is no digit.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

struct Known {
    platform::ContentStamp stamp;
    bool taken = false;
    platform::LocalTime moment;
};

// A folder browsed after another keeps the moments of the one before; the
// whole store goes once it holds more files than a few large cards.
constexpr std::size_t MaxKnown = 250000;

struct PhotoDates {
    std::unordered_map<std::string, Known> known;
    // Reading a photo takes far longer than a look at its stamp: a first
    // fill of thousands of them lets the window repaint meanwhile.
    RepaintPacer pacer{16};
    long long readCount = 0;
};

PhotoDates& photoDates() {
    static PhotoDates dates;
    return dates;
}

}  // namespace

bool takenMoment(std::string_view text, platform::LocalTime& out) {
    constexpr std::size_t Length = 19;   // "YYYY:MM:DD HH:MM:SS"
    if (text.size() < Length) return false;
    for (std::size_t i = Length; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\0') return false;
    const char dateMark = text[4];
    if ((dateMark != ':' && dateMark != '-') || text[7] != dateMark) return false;
    if ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') return false;
    platform::LocalTime t;
    t.year = digitsAt(text, 0, 4);
    t.month = digitsAt(text, 5, 2);
    t.day = digitsAt(text, 8, 2);
    t.hour = digitsAt(text, 11, 2);
    t.minute = digitsAt(text, 14, 2);
    t.second = digitsAt(text, 17, 2);
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1) return false;
    if (t.day > daysInMonth(t.year, t.month)) return false;
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return false;
    out = t;
    return true;
}

bool photoTaken(const std::string& path, platform::LocalTime& out) {
    PhotoDates& dates = photoDates();
    platform::ContentStamp now;
    if (!platform::contentStamp(path, now)) return false;
    auto found = dates.known.find(path);
    if (found == dates.known.end() || !(found->second.stamp == now)) {
        if (found == dates.known.end() && dates.known.size() >= MaxKnown) dates.known.clear();
        Known read;
        // Kept under the stamp of the content the text came from: a file
        // changed between the look and the reading is read again next time.
        read.taken = takenMoment(platform::photoTakenText(path, &read.stamp), read.moment);
        found = dates.known.insert_or_assign(path, read).first;
        dates.pacer.row(static_cast<int>(dates.readCount++ % (1 << 20)));
    }
    if (!found->second.taken) return false;
    out = found->second.moment;
    return true;
}

void forgetPhotoDates() {
    photoDates().known.clear();
    photoDates().readCount = 0;
}

long long photoReadCount() { return photoDates().readCount; }

}  // namespace engine
