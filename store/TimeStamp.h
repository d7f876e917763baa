// The time stamps of the store: a clip's copy and use times, the time in a kept run's name.
// Portable: no <windows.h>.
#pragma once

#include <string>

namespace store {

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// "2012-05-07 09:03:41": zero-padded, so that time stamps sort chronologically as text.
std::string formatTimeStamp(const LocalTime& time);
// The local time now, as a time stamp.
std::string currentTimeStamp();

}  // namespace store
