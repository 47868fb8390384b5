// The posix time service in chosen time zones (TZ), and where Wine strays from
// Windows.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "support/machine.h"

namespace tw {
namespace {

std::int64_t Ticks(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
}

class TimePosix : public test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    if (const char* tz = ::getenv("TZ")) saved_ = tz;
  }
  void TearDown() override {
    if (saved_) {
      ::setenv("TZ", saved_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
    MachineTest::TearDown();
  }
  std::optional<std::string> saved_;
};

// Whatever zone and season, the bias applied is the one of this moment.
TEST_F(TimePosix, LocalToUtcAppliesTheCurrentBias) {
  for (const char* zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0",
                           "<+0545>-5:45", "NZST-12NZDT,M9.5.0,M4.1.0/3"}) {
    ::setenv("TZ", zone, 1);
    ::tzset();
    const std::time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    const std::int64_t expected = static_cast<std::int64_t>(local.tm_gmtoff) * 10'000'000;
    for (WORD month : {1, 7}) {
      SYSTEMTIME st;
      st.wYear = 2007;
      st.wMonth = month;
      st.wDay = 10;
      st.wHour = 2;
      st.wMinute = 11;
      st.wSecond = 2;
      FILETIME localTime, utc;
      ASSERT_TRUE(Time().SystemTimeToFileTime(&st, &localTime));
      ASSERT_TRUE(Time().LocalFileTimeToFileTime(&localTime, &utc));
      EXPECT_EQ(Ticks(localTime) - Ticks(utc), expected) << zone << " month " << month;
    }
    SYSTEMTIME now2;
    Time().GetLocalTime(&now2);
    EXPECT_EQ(now2.wHour, local.tm_hour) << zone;
  }
}

// Windows refuses a day the month does not have; Wine 8 accepts 29 February
// of a common year.
TEST_F(TimePosix, SystemTimeRefusesDaysTheMonthLacks) {
  SYSTEMTIME st;
  st.wYear = 2007;
  st.wMonth = 2;
  st.wDay = 29;
  FILETIME ft;
  EXPECT_FALSE(Time().SystemTimeToFileTime(&st, &ft));
  st.wYear = 2008;
  EXPECT_TRUE(Time().SystemTimeToFileTime(&st, &ft));
  st.wYear = 1900;
  EXPECT_FALSE(Time().SystemTimeToFileTime(&st, &ft));
}

}  // namespace
}  // namespace tw
