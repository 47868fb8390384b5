// A final file held open elsewhere without delete sharing cannot be replaced:
// the platform refuses the deletion, so the rename fails and says so. The posix
// backend has no share modes, which is why this case runs on Windows only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "scenario/dialog_fixture.h"

namespace tw {
namespace {

using ::testing::ElementsAre;

class PayloadSharingTest : public test::DialogTest {};

TEST_F(PayloadSharingTest, FileOpenElsewhereIsReportedAndTheExpansionLeftBehind) {
  const std::string target = ScratchD() + "\\Tarnwick";
  ASSERT_EQ(dlg_->CreateTargetDir(target), 1);
  WriteFile(target + "\\Tarnwick.txt", "in use");
  const HANDLE held = Files().CreateFileA(target + "\\Tarnwick.txt", GENERIC_READ, FILE_SHARE_READ,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  host_->Answer("ERROR", IDOK);

  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 0);
  EXPECT_THAT(host_->Boxes(),
              ElementsAre("box ERROR [0x40]: Can't rename installation file Tarnwick.txt"));
  EXPECT_TRUE(Exists(target + "\\XK.XXX"));
  EXPECT_FALSE(Exists(target + "\\XK.MSZ"));

  Files().CloseHandle(held);
  Files().DeleteFileA(target + "\\XK.XXX");
}

}  // namespace
}  // namespace tw
