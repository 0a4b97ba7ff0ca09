// Local broken-down time of a seconds count, shared by the file and the
// process backends.
#pragma once

#include <ctime>

#include "platform/files.h"

namespace platform::posix {

inline bool toLocalTime(time_t seconds, LocalTime& out) {
    struct tm tm;
    if (!localtime_r(&seconds, &tm)) return false;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}

}  // namespace platform::posix
