// What the time service promises, on both backends.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/platform.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace tw {
namespace {

constexpr std::int64_t kTicks = 10'000'000;
constexpr std::int64_t kEpoch = 11'644'473'600;  // seconds from 1601 to 1970

std::int64_t Ticks(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
}

SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st;
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  return st;
}

class TimeContract : public test::MachineTest {};

TEST_F(TimeContract, SystemTimeToFileTime) {
  FILETIME ft;
  SYSTEMTIME st = Date(2007, 3, 10, 2, 11, 2);
  st.wDayOfWeek = 5;  // wrong on purpose: it is not looked at
  ASSERT_TRUE(Time().SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(Ticks(ft), 128179662620000000);
  st = Date(1601, 1, 1, 0, 0, 0);
  ASSERT_TRUE(Time().SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(Ticks(ft), 0);
  st = Date(2000, 2, 29, 23, 59, 59);
  st.wMilliseconds = 999;
  ASSERT_TRUE(Time().SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(Ticks(ft), (951868799 + kEpoch) * kTicks + 9'990'000);

  // (29 February of a common year is refused by Windows but accepted by Wine 8;
  // the posix backend follows Windows: time_posix_test.cpp.)
  const SYSTEMTIME bad[] = {Date(2007, 13, 1, 0, 0, 0), Date(2007, 3, 10, 24, 0, 0),
                            Date(2007, 3, 0, 0, 0, 0), Date(2007, 4, 31, 0, 0, 0),
                            Date(1600, 12, 31, 0, 0, 0)};
  for (const SYSTEMTIME& b : bad) {
    EXPECT_FALSE(Time().SystemTimeToFileTime(&b, &ft)) << b.wYear << "-" << b.wMonth << "-" << b.wDay << " " << b.wHour;
  }
}

// The bias applied is the one in force now, whatever the date converted: so
// local minus UTC is the same for a date in winter, one in summer and now.
TEST_F(TimeContract, LocalFileTimeUsesTheBiasInForceNow) {
  SYSTEMTIME now;
  Time().GetLocalTime(&now);
  const std::int64_t utcNow = Time().time();
  FILETIME localNow, utc;
  ASSERT_TRUE(Time().SystemTimeToFileTime(&now, &localNow));
  ASSERT_TRUE(Time().LocalFileTimeToFileTime(&localNow, &utc));
  EXPECT_NEAR(static_cast<double>(Ticks(utc) / kTicks - kEpoch), static_cast<double>(utcNow), 5.0);
  const std::int64_t bias = Ticks(localNow) - Ticks(utc);
  EXPECT_EQ(bias % (15 * 60 * kTicks), 0) << "a bias is whole quarter hours";

  for (const SYSTEMTIME& date : {Date(2007, 1, 10, 2, 11, 2), Date(2007, 7, 10, 2, 11, 2)}) {
    FILETIME local, converted;
    ASSERT_TRUE(Time().SystemTimeToFileTime(&date, &local));
    ASSERT_TRUE(Time().LocalFileTimeToFileTime(&local, &converted));
    EXPECT_EQ(Ticks(local) - Ticks(converted), bias) << date.wMonth;
  }
}

TEST_F(TimeContract, LocalTimeIsPlausible) {
  SYSTEMTIME now;
  Time().GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
  EXPECT_LE(now.wDayOfWeek, 6);
  EXPECT_LE(now.wMilliseconds, 999);
}

}  // namespace
}  // namespace tw
