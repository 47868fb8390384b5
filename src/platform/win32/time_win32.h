// Time of the real machine (kernel32 and the C runtime).
#pragma once

#include "platform/timesvc.h"

namespace tw::win32 {

class Win32Time final : public ITime {
 public:
  void GetLocalTime(SYSTEMTIME* out) override;
  BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) override;
  BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) override;
  std::int64_t time() override;
};

}  // namespace tw::win32
