// The five new-name rules, the number text, the file times and the date a
// photo was taken, each with the worked examples users rely on, directly
// and through the file table.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "engine/photodate.h"
#include "engine/rules.h"
#include "engine/state.h"
#include "engine/table.h"
#include "photofiles.h"
#include "support/text.h"
#include "testutil.h"

using engine::RemoveAt;
using engine::Rule;
using engine::RuleInputs;
using engine::LetterCase;

namespace {

struct RuleCase {
    const char* what;
    RuleInputs in;
    const char* file;
    int32_t number;
    const char* expected;
};

RuleInputs patternRule(const char* pattern, int digits = 3) {
    RuleInputs in;
    in.pattern = pattern;
    in.digits = digits;
    return in;
}
RuleInputs replaceRule(const char* find, const char* by) {
    RuleInputs in;
    in.rule = Rule::Replace;
    in.findText = find;
    in.replaceBy = by;
    return in;
}
RuleInputs removeRule(const char* text, RemoveAt where) {
    RuleInputs in;
    in.rule = Rule::Remove;
    in.removeText = text;
    in.where = where;
    return in;
}
RuleInputs caseRule(LetterCase s) {
    RuleInputs in;
    in.rule = Rule::LetterCase;
    in.letterCase = s;
    return in;
}
RuleInputs swapRule(const char* sep, const char* order) {
    RuleInputs in;
    in.rule = Rule::Swap;
    in.separator = sep;
    in.order = order;
    return in;
}

void runCases(const std::vector<RuleCase>& cases, const std::string& folder = "/nowhere/") {
    for (const auto& c : cases) {
        EXPECT_EQ(engine::newNameFor(c.in, folder + c.file, c.file, c.number), c.expected)
            << c.what << ": file \"" << c.file << "\" number " << c.number;
    }
}

// Sets a file time to a local wall-clock time; returns that time as the
// seconds count of the local clock (as if it were UTC).
long long setLocalTime(const std::string& path, bool access, int y, int mo, int d, int h, int mi, int s) {
    std::tm wall{};
    wall.tm_year = y - 1900;
    wall.tm_mon = mo - 1;
    wall.tm_mday = d;
    wall.tm_hour = h;
    wall.tm_min = mi;
    wall.tm_sec = s;
#ifdef _WIN32
    SYSTEMTIME local{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0}, utc;
    FILETIME t;
    EXPECT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) && SystemTimeToFileTime(&utc, &t));
    const HANDLE f = CreateFileW(platform::win32::widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(SetFileTime(f, nullptr, access ? &t : nullptr, access ? nullptr : &t)) << path;
    CloseHandle(f);
    return static_cast<long long>(_mkgmtime(&wall));
#else
    std::tm local = wall;
    local.tm_isdst = -1;
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    times[access ? 0 : 1] = {std::mktime(&local), 0};
    EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    return static_cast<long long>(timegm(&wall));
#endif
}

}  // namespace

TEST(PatternRule, PlaceholdersInTheirOrderAndAnyCase) {
    runCases({
        {"worked example", patternRule("Tiere_%nr%.%erw%"), "IMG_2456.bmp", 1, "Tiere_001.bmp"},
        {"step 5, second file", patternRule("Tiere_%nr%.%erw%"), "IMG_2457.bmp", 6, "Tiere_006.bmp"},
        {"any case", patternRule("%Nr%|%NR%|%nr%"), "a.jpg", 4, "004|004|004"},
        {"base name", patternRule("%datei%-%nr%", 2), "Holiday.JPG", 7, "Holiday-07"},
        {"whole name", patternRule("%dateinamen%"), "report.final.pdf", 1, "report.final.pdf"},
        {"base and extension", patternRule("%datei%|%erw%"), "report.final.pdf", 1, "report.final|pdf"},
        {"no dot", patternRule("neu_%nr%.%erw%[%datei%]"), "README", 1, "neu_001.[]"},
        {"dot file", patternRule("[%datei%][%erw%]"), ".profile", 1, "[][profile]"},
        {"inserted text is replaced later", patternRule("%dateinamen%"), "%erw%.txt", 1, "txt.txt"},
        {"only the last digits", patternRule("%nr%"), "a", 1000, "000"},
        {"digits 0", patternRule("neu_%nr%.%erw%", 0), "a.jpg", 5, "neu_.jpg"},
        {"other texts copied", patternRule("%x%_%nr_%.%ERW%"), "a.JpG", 1, "%x%_%nr_%.JpG"},
        {"date of a missing file", patternRule("x%dm%y%TA%z"), "a.jpg", 1, "xyz"},
        {"date taken of a missing file", patternRule("x%Dx%y%tX%z"), "a.jpg", 1, "xyz"},
        {"taken after %dm%, before %tc%", patternRule("%D%DM%X%|%T%DX%X%|%D%TX%X%"), "a.jpg", 1, "||%DX%"},
        {"taken from the name", patternRule("%dateinamen%"), "%dx%%TX%.jpg", 1, ".jpg"},
    });
    EXPECT_EQ(engine::newNameFor(patternRule("%nr%", 2000000000), "/x/a", "a", 12), std::string(253, '0') + "12");
}

TEST(FormatNumber, FillsTheMaskFromTheRight) {
    const struct {
        const char* mask;
        int32_t value;
        const char* expected;
    } cases[] = {
        {"000", 7, "007"}, {"000", 1234, "234"}, {"0", 10, "0"}, {"000", -5, "0-5"}, {"", 99, ""},
        {"00000000000", INT32_MIN, "-2147483648"},
        {"00-00", 123, "01-23"},   // other mask characters stay where they are
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::yFormatNumber(c.mask, c.value), c.expected) << c.mask << " " << c.value;
}

TEST(ReplaceAndRemoveRules, WorkedExamples) {
    runCases({
        {"replace", replaceRule("a", "o"), "Banana.JPG", 1, "Bonono.JPG"},
        {"replace, capitals match", replaceRule("a", "o"), "ABBA.txt", 1, "oBBo.txt"},
        {"replace by nothing", replaceRule("a", ""), "Banana.JPG", 1, "Banana.JPG"},
        {"replace, no rescan", replaceRule("aa", "a"), "aaaa.x", 1, "aa.x"},
        {"replace, accents exact", replaceRule("ä", "ae"), "Äpfel-äpfel", 1, "Äpfel-aepfel"},
        {"start", removeRule("IMG_", RemoveAt::Start), "IMG_2456.bmp", 1, "2456.bmp"},
        {"start, case counts", removeRule("IMG_", RemoveAt::Start), "img_2456.bmp", 1, "img_2456.bmp"},
        {"everywhere, any case", removeRule("IMG_", RemoveAt::All), "img_1_IMG_.bmp", 1, "1_.bmp"},
        {"end", removeRule(".bak", RemoveAt::End), "notes.txt.bak", 1, "notes.txt"},
        {"end, case counts", removeRule(".BAK", RemoveAt::End), "notes.txt.bak", 1, "notes.txt.bak"},
        {"empty, start", removeRule("", RemoveAt::Start), "a.jpg", 1, "a.jpg"},
        {"empty, end", removeRule("", RemoveAt::End), "a.jpg", 1, "a.jpg"},
        {"empty, everywhere", removeRule("", RemoveAt::All), "a.jpg", 1, "a.jpg"},
        {"longer than the name", removeRule("a.jpg.x", RemoveAt::End), "a.jpg", 1, "a.jpg"},
        {"umlaut at the end", removeRule("ö", RemoveAt::End), "xö", 1, "x"},
        {"never half a character", removeRule("\xC3", RemoveAt::Start), "äpfel", 1, "äpfel"},
    });
}

TEST(CaseRule, LatinOneTableOnCharacters) {
    runCases({
        {"capital first", caseRule(LetterCase::CapitalFirst), "mY fILE.TXT", 1, "My file.txt"},
        {"capital first, umlaut", caseRule(LetterCase::CapitalFirst), "äBC_DEF", 1, "Äbc_def"},
        {"upper", caseRule(LetterCase::Upper), "äpfel.jpg", 1, "ÄPFEL.JPG"},
        {"upper keeps ß and ÿ", caseRule(LetterCase::Upper), "straße_ÿ", 1, "STRAßE_ÿ"},
        {"÷ maps like a letter", caseRule(LetterCase::Upper), "àþ÷", 1, "ÀÞ×"},
        {"lower", caseRule(LetterCase::Lower), "ÀÞ×ÄPFEL.JPG", 1, "àþ÷äpfel.jpg"},
        {"above U+00FF unchanged", caseRule(LetterCase::Upper), "ωψ€日本", 1, "ωψ€日本"},
        {"above U+00FF, lower", caseRule(LetterCase::Lower), "ΩΨĀ", 1, "ΩΨĀ"},
        {"stray bytes stay", caseRule(LetterCase::Upper), "\xE4\xF6\xFC.\xE9", 1, "\xE4\xF6\xFC.\xE9"},
        {"stray bytes stay, lower", caseRule(LetterCase::Lower), "\xC4\xD6\xDC", 1, "\xC4\xD6\xDC"},
        {"stray byte beside letters", caseRule(LetterCase::Upper), "\xE4pfel.jpg", 1, "\xE4PFEL.JPG"},
    });
}

TEST(SwapRule, PartsOfTheBaseNameInANewOrder) {
    runCases({
        {"worked example", swapRule("-", "%3%_%2%_%1%.%erw%"), "Urlaub-2024-Rom.jpg", 1, "Rom_2024_Urlaub.jpg"},
        {"no separator in the name", swapRule("-", "%3%_%2%_%1%.%erw%"), "Urlaub.jpg", 1, "%3%_%2%_Urlaub.jpg"},
        {"empty separator", swapRule("", "%1%"), "Urlaub-Rom.jpg", 1, "Urlaub-Rom.jpg"},
        {"first character only", swapRule("-+", "%2%.%ERW%"), "a-b+c.txt", 1, "b+c.txt"},
        {"extension stays out", swapRule(".", "%2%|%1%|%erw%"), "a.b.c", 1, "b|a|c"},
        {"others stay", swapRule("-", "%nr%_%0%_%1%"), "a-b.x", 1, "%nr%_%0%_a"},
        {"each part on the text before", swapRule("-", "%1%"), "%2%-x.txt", 1, "x"},
        {"ten parts", swapRule("_", "%10%%1%"), "a_b_c_d_e_f_g_h_i_j.x", 1, "ja"},
    });
}

TEST(FileDate, LocalTimeWithoutAnyShift) {
    testutil::TempDir d;
    const std::string path = d.file("late.jpg");
    const long long local = setLocalTime(path, false, 2024, 3, 15, 23, 30, 5);
    setLocalTime(path, true, 2023, 12, 31, 0, 0, 59);
    EXPECT_EQ(engine::yGetFileDate("", path, "%yyyy_%mm_%dd %hh-%ii-%ss", 2, 0), "2024_03_15 23-30-05");
    EXPECT_EQ(engine::yGetFileDate("", path, "%YYYY.%MM.%DD %HH:%II:%SS", 1, 0), "2023.12.31 00:00:59");
    EXPECT_EQ(engine::yGetFileDate("#WERT", path, "", 2, 0), std::to_string(local));
    // A value handed back in formats as the same local time.
    EXPECT_EQ(engine::yGetFileDate("", "/missing", "%yyyy_%mm_%dd %hh-%ii-%ss", 2, local),
              "2024_03_15 23-30-05");
    EXPECT_EQ(engine::yGetFileDate("", path + ".missing", "%yyyy", 2, 0), "");
    EXPECT_EQ(engine::yGetFileDate("#WERT", path + ".missing", "", 2, 0), "");
    EXPECT_EQ(engine::yGetFileDate("#ANDERS", path, "%yyyy", 2, 0), "");
    const std::string created = engine::yGetFileDate("", path, "%yyyy_%mm_%dd", 0, 0);
    EXPECT_TRUE(created.empty() || created.size() == 10) << created;

    runCases({
        {"modification", patternRule("%dm%_%TM%.%erw%"), "late.jpg", 1, "2024_03_15_23-30-05.jpg"},
        {"access", patternRule("%Da% %ta%"), "late.jpg", 1, "2023_12_31 00-00-59"},
    }, d.path());
    setLocalTime(d.file("%dm%.txt"), false, 2020, 2, 29, 12, 0, 0);
    runCases({{"placeholder from the name", patternRule("%datei%"), "%dm%.txt", 1, "2020_02_29"}}, d.path());
}

// ---- the date a photo was taken ----------------------------------------------------

TEST(PhotoDate, OnlyARealDayAndTimeOfDayCounts) {
    const struct {
        std::string text;
        const char* expected;   // "" for no date
    } cases[] = {
        {"2023:07:08 05:11:42", "2023_07_08 05-11-42"},
        {std::string("2023:07:08 05:11:42\0\0", 21), "2023_07_08 05-11-42"},
        {"2023:07:08 05:11:42  ", "2023_07_08 05-11-42"},
        {"2023-07-08T05:11:42", "2023_07_08 05-11-42"},
        {"2024:02:29 23:59:59", "2024_02_29 23-59-59"},
        {"2000:02:29 00:00:00", "2000_02_29 00-00-00"},
        {"0001:01:01 00:00:00", "0001_01_01 00-00-00"},
        {"0000:00:00 00:00:00", ""},   // a camera that did not know the time
        {"    :  :     :  :  ", ""},
        {"2023:13:45 99:99:99", ""},
        {"2023:02:29 12:00:00", ""},
        {"1900:02:29 12:00:00", ""},
        {"2023:04:31 12:00:00", ""},
        {"2023:07:00 12:00:00", ""},
        {"2023:07:08 24:00:00", ""},
        {"2023:07:08 05:60:00", ""},
        {"2023:07:08 05:11:60", ""},
        {"2023:07:08 05:11", ""},
        {"2023:07:08 05:11:42+02:00", ""},
        {"2023:07:08 05:11:42garbage", ""},
        {"2023:07-08 05:11:42", ""},
        {"2023:07:08  5:11:42", ""},
        {"+023:07:08 05:11:42", ""},
        {"2023:07:08-05:11:42", ""},
        {"\xFF\xFE\xFD\xFC\xFB\xFA\xF9\xF8\xF7\xF6\xF5\xF4\xF3\xF2\xF1\xF0\xEF\xEE\xED", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        platform::LocalTime t;
        const bool taken = engine::takenMoment(c.text, t);
        EXPECT_EQ(taken ? support::formatDate("%yyyy_%mm_%dd %hh-%ii-%ss", t) : "", c.expected) << c.text;
    }
}

// Every container the photo comes in, and fields spoiled as a damaged or
// hostile file has them: the date as written, else none, never a wrong one.
TEST(PhotoDate, ReadFromEachFormatAndNeverWrongFromADamagedFile) {
    using namespace testutil::photo;
    if (const char* why = noDatesHere()) GTEST_SKIP() << why;
    const std::string shot = "2023:07:08 05:11:42", later = "2023:07:09 18:00:01";
    const char* taken = "2023_07_08_05-11-42";
    const std::string photo = jpeg(tiff(Exif(shot)));
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
        const char* expected;
        bool everywhere;   // false: what libexiv2 reads, not every platform's reader
    } cases[] = {
        {"JPEG, original before digitized", "a.jpg", jpeg(tiff(Exif(shot, later))), taken, true},
        {"JPEG with only DateTimeDigitized", "b.jpg", jpeg(tiff(Exif("", shot))), taken, true},
        {"TIFF", "c.tif", tiff(Exif(shot), true), taken, true},
        {"DNG, big-endian", "d.dng", tiff(Exif(shot).bigEndian().asDng(), true), taken, true},
        {"PNG", "e.png", png(tiff(Exif(shot))), taken, false},
        {"WebP", "f.webp", webp(tiff(Exif(shot))), taken, false},
        {"HEIC", "g.heic", heic(tiff(Exif(shot))), taken, false},
        {"MP4, its creation time as written", "h.mp4", mp4(3771637902u), taken, false},
        {"MOV", "h.mov", mp4(3771637902u, "qt  "), taken, false},
        {"MOV without a file type", "h2.mov", mp4(3771637902u, ""), taken, false},
        {"unterminated, the date alone", "i.jpg", jpeg(tiff(Exif(shot).unterminated())), taken, true},
        {"IFD0 its own next IFD", "j.jpg", jpeg(tiff(Exif(shot).nextIfdAt(8))), taken, false},
        {"EXIF pointer back to IFD0", "k.jpg", jpeg(tiff(Exif(shot).exifIfdSaidAt(8))), "_", false},
        {"negative EXIF pointer", "l.jpg", jpeg(tiff(Exif(shot).exifIfdSaidAt(0x80000000))), "_", false},
        {"huge offset of the date", "m.jpg", jpeg(tiff(Exif(shot).originalSaidAt(0xFFFFFFF0))), "_", false},
        {"unreadable original, intact digitized", "n.jpg",
         jpeg(tiff(Exif(shot, later).originalSaidAt(0xFFFFFFF0))), "2023_07_09_18-00-01", false},
        {"zero date", "o.jpg", jpeg(tiff(Exif("0000:00:00 00:00:00"))), "_", true},
        {"month 13, hour 99", "p.jpg", jpeg(tiff(Exif("2023:13:45 99:99:99"))), "_", true},
        {"garbage original, no fall-back", "q.jpg", jpeg(tiff(Exif("garbage", shot))), "_", true},
        {"unterminated, running on", "r.jpg", jpeg(tiff(Exif(shot + "garbage").unterminated())), "_", true},
        {"cut in IFD0", "s.jpg", photo.substr(0, 30), "_", true},
        {"cut in the date", "t.jpg", photo.substr(0, 66), "_", true},
        {"TIFF header alone", "u.tif", tiff(Exif(shot)).substr(0, 8), "_", true},
        {"text named .jpg", "v.jpg", "not a photo at all", "_", true},
        {"empty file", "w.jpg", "", "_", true},
        {"PNG without metadata", "x.png", png(""), "_", true},
    };
    testutil::TempDir d;
    engine::forgetPhotoDates();
    for (const auto& c : cases) {
        if (!c.everywhere && platform::PathSeparator == '\\') continue;
        d.file(c.file, c.bytes);
        EXPECT_EQ(engine::newNameFor(patternRule("%dx%_%tx%"), d.path() + c.file, c.file, 1), c.expected) << c.what;
    }
#ifndef _WIN32
    // A link to a pipe is listed as a file; opening the pipe would wait for a writer.
    ASSERT_EQ(mkfifo((d.path() + "pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink((d.path() + "pipe").c_str(), (d.path() + "pipe.jpg").c_str()), 0);
    EXPECT_EQ(engine::newNameFor(patternRule("%dx%_%tx%"), d.path() + "pipe.jpg", "pipe.jpg", 1), "_");
#endif
}

// ---- the same rules read from the window and run through the table -------------

TEST(RulesInTable, EveryRuleFromItsControls) {
    using H = platform::HeadlessWindowSystem;
    const struct {
        const char* what;
        std::vector<const char*> files;
        std::function<void(H&)> set;
        std::vector<std::string> expected;
    } cases[] = {
        {"pattern, step 5", {"IMG_2456.bmp", "IMG_2457.bmp"},
         [](H& w) { w.setText(ids::PatternField, "Tiere_%nr%.%erw%"); w.setText(ids::StepField, "5"); },
         {"Tiere_001.bmp", "Tiere_006.bmp"}},
        {"replace", {"Banana.JPG"},
         [](H& w) { w.setState(ids::OptReplace, 1); w.setText(ids::ReplaceFindField, "a");
                    w.setText(ids::ReplaceByField, "o"); }, {"Bonono.JPG"}},
        {"remove everywhere", {"IMG_1.bmp", "img_2.bmp"},
         [](H& w) { w.setState(ids::OptRemove, 1); w.setState(ids::OptRemoveAll, 1);
                    w.setText(ids::RemoveField, "IMG_"); }, {"1.bmp", "2.bmp"}},
        {"remove at the start", {"IMG_1.bmp", "img_2.bmp"},
         [](H& w) { w.setState(ids::OptRemove, 1); w.setText(ids::RemoveField, "IMG_"); },
         {"1.bmp", "img_2.bmp"}},
        {"upper", {"äpfel.jpg"}, [](H& w) { w.setState(ids::OptCase, 1); }, {"ÄPFEL.JPG"}},
        {"capital first", {"mY fILE.TXT"},
         [](H& w) { w.setState(ids::OptCase, 1); w.setState(ids::OptCapitalFirst, 1); }, {"My file.txt"}},
        {"swap, digits field ignored", {"Urlaub-2024-Rom.jpg"},
         [](H& w) { w.setState(ids::OptSwap, 1); w.setText(ids::SeparatorField, "-");
                    w.setText(ids::OrderField, "%3%_%2%_%1%.%erw%"); w.setText(ids::DigitsField, "9999"); },
         {"Rom_2024_Urlaub.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        H h;
        testutil::openMainWindow(h);
        const testutil::UsingWindowSystem windows(h);
        testutil::TempDir folder;
        for (const char* f : c.files) folder.file(f);
        h.setText(ids::FolderTree, folder.path());
        h.setText(ids::MaskField, "*.*");
        c.set(h);
        engine::NeuAufbauen(engine::ModeFull, engine::DateiListe);
        EXPECT_EQ(testutil::column(h, ids::ColNew), c.expected);
    }
}

// Photos shot in July 2023 and copied in November 2026: the names carry
// the moment of shooting. A photo is read once for as long as its content
// stays, and only for a pattern that asks and a row that is listed.
TEST(RulesInTable, DateTakenOfEachListedPhotoReadOncePerContent) {
    using namespace testutil::photo;
    platform::HeadlessWindowSystem h;
    testutil::openMainWindow(h);
    const testutil::UsingWindowSystem windows(h);
    // The tool tip of the pattern keeps its text and names the two at its end.
    EXPECT_EQ(h.toolTipText(ids::PatternField),
              "%nr%=Nummerierung, %dateinamen%=DateinamenKomplett,%datei%=DateinamenOhneErweiterung, "
              "%erw%=Erweiterung, %dc%=Datum-Erstellt, %da%=Datum-Letzter Zugriff, %dm%=Datum-Geändert, "
              "%tc%=Zeit-Erstellt, %ta%=Zeit-Letzter Zugriff, %tm%=Zeit-Geändert, "
              "%dx%=Datum-Aufnahme, %tx%=Zeit-Aufnahme");
    if (const char* why = noDatesHere()) GTEST_SKIP() << why;
    testutil::TempDir folder;
    std::vector<std::string> expected;
    for (int i = 1; i <= 30; ++i) {
        char name[16], shot[24], named[40];
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", i);
        std::snprintf(shot, sizeof shot, "2023:07:%02d %02d:11:42", i, i % 24);
        std::snprintf(named, sizeof named, "Urlaub_2023_07_%02d_%02d-11-42.jpg", i, i % 24);
        setLocalTime(folder.file(name, jpeg(tiff(Exif(shot)))), false, 2026, 11, 4, 10, 0, 0);
        expected.push_back(named);
    }
    folder.file("leer.png", png(""));
    folder.file("nackt.png", png(""));
    expected.insert(expected.end(), {"Urlaub__.png", "Urlaub__.png"});
    h.setText(ids::FolderTree, folder.path());
    h.setText(ids::MaskField, "*.*");
    h.setText(ids::PatternField, "Urlaub_%dx%_%tx%.%erw%");
    engine::forgetPhotoDates();
    auto rebuild = [&](int mode) {
        engine::NeuAufbauen(mode, engine::DateiListe);
        return engine::photoReadCount();
    };
    uint32_t clock = 0;
    platform::setTickSource([&clock] { return clock += 60; });
    const int repaints = h.repaintCount();
    EXPECT_EQ(rebuild(engine::ModeFull), 32);
    platform::setTickSource({});
    EXPECT_GE(h.repaintCount() - repaints, 1) << "the window repaints while the photos are read";
    EXPECT_EQ(testutil::column(h, ids::ColNew), expected);
    EXPECT_EQ(h.rowMark(ids::FileTable, 30), platform::RowMark::None);
    EXPECT_EQ(h.rowMark(ids::FileTable, 31), platform::RowMark::Warning) << "the second of two equal names";
    EXPECT_EQ(rebuild(engine::ModeNames), 32) << "new names only: nothing read again";
    EXPECT_EQ(rebuild(engine::ModeFull), 32) << "Aktualisieren: nothing read again";

    // A photo written anew (same size) and one touched: both are read again.
    setLocalTime(folder.file("IMG_0001.jpg", jpeg(tiff(Exif("2024:12:24 18:30:00")))), false, 2026, 11, 5, 9, 0, 0);
    setLocalTime(folder.path() + "IMG_0002.jpg", false, 2026, 11, 5, 9, 0, 0);
    EXPECT_EQ(rebuild(engine::ModeNames), 34);
    EXPECT_EQ(testutil::column(h, ids::ColNew)[0], "Urlaub_2024_12_24_18-30-00.jpg");
    EXPECT_EQ(testutil::column(h, ids::ColNew)[1], expected[1]);

    engine::forgetPhotoDates();
    h.setText(ids::PatternField, "%dm%_%nr%.%erw%");
    EXPECT_EQ(rebuild(engine::ModeFull), 0) << "a pattern without the date taken reads no photo";
    h.setText(ids::PatternField, "%TX%.%erw%");
    h.setText(ids::MaskField, "*.png");
    EXPECT_EQ(rebuild(engine::ModeFull), 2) << "only the listed rows";
    EXPECT_EQ(testutil::column(h, ids::ColNew), (std::vector<std::string>{".png", ".png"}));
}

TEST(RulesInTable, InputsAreReadOncePerRebuildFromTheControls) {
    platform::HeadlessWindowSystem h;
    testutil::openMainWindow(h);
    const testutil::UsingWindowSystem windows(h);
    h.setState(ids::OptSwap, 1);
    h.setText(ids::DigitsField, " 300");
    h.setText(ids::SeparatorField, "äx");
    h.setState(ids::OptLower, 1);
    h.setState(ids::OptRemoveEnd, 1);
    RuleInputs in = engine::readRuleInputs();
    EXPECT_EQ(in.rule, Rule::Swap);
    EXPECT_EQ(in.digits, 255);
    EXPECT_EQ(in.separator, "ä");
    EXPECT_EQ(in.pattern, "neu_%nr%.%erw%");
    EXPECT_EQ(in.letterCase, LetterCase::Lower);
    EXPECT_EQ(in.where, RemoveAt::End);
    h.setText(ids::DigitsField, "-3");
    EXPECT_EQ(engine::readRuleInputs().digits, 0);
}

// A pattern taken apart once per rebuild must name every file exactly as
// the replacement steps one after the other do, also where an inserted
// value completes a later placeholder.
TEST(PatternPieces, GiveTheSameNamesAsTheStepByStepRule) {
    const char* patterns[] = {"neu_%nr%.%erw%", "%E%DATEI%W%", "%datei%-%nr%", "%dateinamen%",
                              "%DATEINAMEN%%ERW%", "x%%nr%", "%nr%nr%", "%ERW%.%Erw%", "100%",
                              "%DATEI%NR%", "", "plain", "%dm%_%nr%"};
    const char* names[] = {"IMG_2456.bmp", "README", ".profile", "a%erw%.txt", "R.W", "archive.tar.gz"};
    platform::HeadlessWindowSystem h;
    const testutil::UsingWindowSystem windows(h);
    app::OeffnenHauptfenster();
    h.setState(ids::OptPattern, 1);
    for (const char* pattern : patterns) {
        h.setText(ids::PatternField, pattern);
        const engine::RuleInputs read = engine::readRuleInputs();   // pieces prepared
        if (std::string(pattern) == "neu_%nr%.%erw%") {
            EXPECT_FALSE(read.pieces.empty());
        }
        if (std::string(pattern) == "%E%DATEI%W%") {
            EXPECT_TRUE(read.pieces.empty());
        }
        engine::RuleInputs steps = read;
        steps.pieces.clear();
        for (const char* name : names) {
            SCOPED_TRACE(std::string(pattern) + " on " + name);
            const std::string path = std::string("/nowhere/") + name;
            EXPECT_EQ(engine::newNameFor(read, path, name, 7), engine::newNameFor(steps, path, name, 7));
        }
    }
}
