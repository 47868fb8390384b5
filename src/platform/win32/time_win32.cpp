#include "platform/win32/time_win32.h"

#include <windows.h>

#include <ctime>

namespace tw::win32 {

namespace {
static_assert(sizeof(tw::SYSTEMTIME) == sizeof(::SYSTEMTIME));

::SYSTEMTIME ToNative(const tw::SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}
}  // namespace

void Win32Time::GetLocalTime(tw::SYSTEMTIME* out) {
  ::SYSTEMTIME st{};
  ::GetLocalTime(&st);
  out->wYear = st.wYear;
  out->wMonth = st.wMonth;
  out->wDayOfWeek = st.wDayOfWeek;
  out->wDay = st.wDay;
  out->wHour = st.wHour;
  out->wMinute = st.wMinute;
  out->wSecond = st.wSecond;
  out->wMilliseconds = st.wMilliseconds;
}

tw::BOOL Win32Time::SystemTimeToFileTime(const tw::SYSTEMTIME* in, tw::FILETIME* out) {
  if (!in || !out) return FALSE;
  const ::SYSTEMTIME st = ToNative(*in);
  ::FILETIME ft{};
  if (!::SystemTimeToFileTime(&st, &ft)) return FALSE;
  out->dwLowDateTime = ft.dwLowDateTime;
  out->dwHighDateTime = ft.dwHighDateTime;
  return TRUE;
}

tw::BOOL Win32Time::LocalFileTimeToFileTime(const tw::FILETIME* local, tw::FILETIME* utc) {
  if (!local || !utc) return FALSE;
  const ::FILETIME in{local->dwLowDateTime, local->dwHighDateTime};
  ::FILETIME out{};
  if (!::LocalFileTimeToFileTime(&in, &out)) return FALSE;
  utc->dwLowDateTime = out.dwLowDateTime;
  utc->dwHighDateTime = out.dwHighDateTime;
  return TRUE;
}

std::int64_t Win32Time::time() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace tw::win32
