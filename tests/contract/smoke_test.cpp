#include <gtest/gtest.h>

#include "platform/winconst.h"

TEST(Smoke, Builds) { EXPECT_EQ(tw::ERROR_MORE_DATA, 234); }
