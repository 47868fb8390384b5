// Time: local time, the calendar clock, and file-time conversions.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace tw {

class ITime {
 public:
  virtual ~ITime() = default;
  virtual void GetLocalTime(SYSTEMTIME* out) = 0;
  virtual BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) = 0;
  // Local to UTC with the bias in force now (daylight saving included), not the
  // bias of the date converted.
  virtual BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) = 0;
  // Seconds since 1970-01-01 00:00 UTC, the C runtime's time().
  virtual std::int64_t time() = 0;
};

}  // namespace tw
