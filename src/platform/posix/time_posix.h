// Time of the posix backend: the host's clock and time zone (TZ honoured).
#pragma once

#include "platform/timesvc.h"

namespace tw::posix {

class PosixTime final : public ITime {
 public:
  void GetLocalTime(SYSTEMTIME* out) override;
  // FALSE (ERROR_INVALID_PARAMETER) for a field out of range or a date outside
  // 1601..30827; the day of the week is not looked at.
  BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) override;
  BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) override;
  std::int64_t time() override;
};

}  // namespace tw::posix
