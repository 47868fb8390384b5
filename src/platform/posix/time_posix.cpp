#include "platform/posix/time_posix.h"

#include <time.h>

#include <ctime>

#include "platform/posix/files_posix.h"
#include "platform/posix/machine.h"
#include "platform/winconst.h"

namespace tw::posix {

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// The local time zone's offset from UTC now, in seconds east.
long CurrentOffset() {
  ::tzset();  // localtime_r alone does not look at a changed TZ
  std::time_t now = std::time(nullptr);
  struct tm local {};
  if (!::localtime_r(&now, &local)) return 0;
  return local.tm_gmtoff;
}

}  // namespace

void PosixTime::GetLocalTime(SYSTEMTIME* out) {
  ::tzset();
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm local {};
  ::localtime_r(&now.tv_sec, &local);
  out->wYear = static_cast<WORD>(local.tm_year + 1900);
  out->wMonth = static_cast<WORD>(local.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  out->wDay = static_cast<WORD>(local.tm_mday);
  out->wHour = static_cast<WORD>(local.tm_hour);
  out->wMinute = static_cast<WORD>(local.tm_min);
  out->wSecond = static_cast<WORD>(local.tm_sec);
  out->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1'000'000);
}

BOOL PosixTime::SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (!in || !out || in->wYear < 1601 || in->wYear > 30827 || in->wMonth < 1 || in->wMonth > 12 ||
      in->wHour > 23 || in->wMinute > 59 || in->wSecond > 59 || in->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  unsigned monthDays = kDays[in->wMonth - 1] + (in->wMonth == 2 && IsLeap(in->wYear) ? 1 : 0);
  if (in->wDay < 1 || in->wDay > monthDays) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::int64_t days = DaysFromCivil(in->wYear, in->wMonth, in->wDay) - DaysFromCivil(1601, 1, 1);
  const std::uint64_t seconds =
      static_cast<std::uint64_t>(days) * 86400 + in->wHour * 3600u + in->wMinute * 60u + in->wSecond;
  *out = MakeFileTime(seconds * kTicksPerSecond + in->wMilliseconds * 10'000ull);
  return 1;
}

BOOL PosixTime::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (!local || !utc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The bias in force now, not the one of the converted date: that is what the
  // platform does, and the installer's fixed time stamps depend on it.
  const std::int64_t shift = static_cast<std::int64_t>(CurrentOffset()) * 10'000'000;
  const std::uint64_t ticks = FileTimeTicks(*local);
  if (shift > 0 && ticks < static_cast<std::uint64_t>(shift)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  *utc = MakeFileTime(ticks - static_cast<std::uint64_t>(shift));
  return 1;
}

std::int64_t PosixTime::time() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace tw::posix
