// The posix resources service over an injected table: what tests rely on to
// remove a resource or make one empty.
#include <gtest/gtest.h>

#include "platform/posix/resources_posix.h"

namespace tw::posix {
namespace {

const std::uint8_t kBytes[] = {1, 2, 3};

TEST(PosixResources, InjectedTable) {
  PosixResources resources({{"MSZ", 134, kBytes}, {"MSZ", 135, {}}});

  HRSRC full = resources.FindResourceA(nullptr, 134, "msz");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(resources.SizeofResource(nullptr, full), 3u);
  EXPECT_EQ(resources.LockResource(resources.LoadResource(nullptr, full)), kBytes);

  // An empty resource is found and loads, with size 0 and an address.
  HRSRC empty = resources.FindResourceA(nullptr, 135, "MSZ");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(resources.SizeofResource(nullptr, empty), 0u);
  EXPECT_NE(resources.LockResource(resources.LoadResource(nullptr, empty)), nullptr);

  EXPECT_EQ(resources.FindResourceA(nullptr, 136, "MSZ"), nullptr) << "removed from the table";
  EXPECT_EQ(resources.FindResourceA(nullptr, 133, "TEXT"), nullptr);
}

TEST(PosixResources, ForeignAndNullHandlesGiveNothing) {
  PosixResources mine({{"MSZ", 134, kBytes}});
  PosixResources other({{"MSZ", 134, kBytes}});
  HRSRC foreign = other.FindResourceA(nullptr, 134, "MSZ");
  ASSERT_NE(foreign, nullptr);
  EXPECT_EQ(mine.LoadResource(nullptr, foreign), nullptr);
  EXPECT_EQ(mine.SizeofResource(nullptr, foreign), 0u);
  EXPECT_EQ(mine.LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(mine.SizeofResource(nullptr, nullptr), 0u);
  EXPECT_EQ(mine.LockResource(nullptr), nullptr);
}

TEST(PosixResources, DefaultIsTheBuiltInTable) {
  PosixResources resources;
  for (WORD id : {133, 134, 135, 136, 137}) {
    SCOPED_TRACE(id);
    EXPECT_NE(resources.FindResourceA(nullptr, id, id == 133 ? "TEXT" : "MSZ"), nullptr);
  }
}

}  // namespace
}  // namespace tw::posix
