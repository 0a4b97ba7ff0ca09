// The moment a photo was taken, for the placeholders "%DX%" and "%TX%".
//
// The platform reads the photo's own text of it (platform::photoTakenText);
// checking that text and keeping what was read are written once, here. A
// file is read once per content: again only when its size, modification
// or identity differs from when it was read.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace engine {

// On in the program; the benchmarks turn it off to measure the pattern
// rule as it was before the date taken.
extern bool photoDatesOn;

// The moment an EXIF date text names: "YYYY:MM:DD HH:MM:SS" (the date also
// with "-", a "T" between date and time), a real day of the calendar and
// time of the day, nothing after it but blanks or NULs. Taken as written,
// in the camera's own local time. False for anything else, the blank or
// zero dates of a camera that did not know the time among them.
bool takenMoment(std::string_view text, platform::LocalTime& out);

// The moment the photo at path was taken; false when it names none.
bool photoTaken(const std::string& path, platform::LocalTime& out);

// Forgets every moment read so far, and how many files were read to know
// them (for the tests and the benchmarks, which see the store work by it).
void forgetPhotoDates();
long long photoReadCount();

}  // namespace engine
