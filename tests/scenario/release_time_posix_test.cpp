// The release timestamp under time zones with daylight saving, installed in
// summer and in winter: the local time 2007-03-10 02:11:02 is converted with
// the bias in force at the moment of installation, not the bias of that date.
// Each zone is a rule made around today, so that today's bias and the bias of
// 2007-03-10 differ whatever the date the test runs on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "scenario/dialog_fixture.h"

namespace tw {
namespace {

// 2007-03-10 02:11:02 read as if it were UTC, in 100 ns ticks since 1601.
constexpr std::uint64_t kReleaseAsUtc = 128179662620000000ull;
constexpr std::uint64_t kHour = 36000000000ull;

class ZoneGuard {
 public:
  explicit ZoneGuard(const std::string& zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
  }
  ~ZoneGuard() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

class ReleaseTimeTest : public test::DialogTest {
 protected:
  // The last-write time of a freshly installed read-me, in ticks.
  std::uint64_t InstallAndReadStamp() {
    const std::string target = ScratchD() + "\\Tarnwick";
    EXPECT_EQ(dlg_->CreateTargetDir(target), 1);
    EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 1);
    const HANDLE file = Files().CreateFileA(target + "\\Tarnwick.txt", GENERIC_READ, FILE_SHARE_READ,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME accessed{}, written{};
    Files().GetFileTime(file, nullptr, &accessed, &written);
    Files().CloseHandle(file);
    const auto ticks = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    EXPECT_EQ(ticks, (std::uint64_t{accessed.dwHighDateTime} << 32) | accessed.dwLowDateTime);
    return ticks;
  }
  static int TodayJulian() {  // 1..365, February 29 not counted, as POSIX "Jn" counts
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    const bool leap = (utc.tm_year % 4 == 0 && utc.tm_year % 100 != 0) || (utc.tm_year + 1900) % 400 == 0;
    int day = utc.tm_yday + 1;
    if (leap && utc.tm_yday >= 59) day -= 1;
    return day;
  }
};

// Standard time five hours behind UTC, daylight time four.
TEST_F(ReleaseTimeTest, InstalledInSummerUsesTheSummerBias) {
  const int today = TodayJulian();
  if (today >= 60 && today <= 80) GTEST_SKIP() << "today is too close to 10 March";
  const int from = today == 1 ? 365 : today - 1;
  const int to = today == 365 ? 1 : today + 1;
  ZoneGuard zone("XST5XDT,J" + std::to_string(from) + "/0,J" + std::to_string(to) + "/0");
  EXPECT_EQ(InstallAndReadStamp(), kReleaseAsUtc + 4 * kHour);
}

TEST_F(ReleaseTimeTest, InstalledInWinterUsesTheWinterBias) {
  const int today = TodayJulian();
  if (today >= 60 && today <= 80) GTEST_SKIP() << "today lies in the zone's summer";
  // Summer from 1 to 21 March: 10 March 2007 was in it, today is not.
  ZoneGuard zone("XST5XDT,J60/0,J80/0");
  EXPECT_EQ(InstallAndReadStamp(), kReleaseAsUtc + 5 * kHour);
}

}  // namespace
}  // namespace tw
