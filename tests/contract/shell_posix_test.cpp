// The posix shell: where its folders are and what ShellExecuteA records.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/platform.h"
#include "platform/posix/machine.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace tw {
namespace {

class ShellPosix : public test::MachineTest {};

TEST_F(ShellPosix, FoldersAreWhereWinePutsThem) {
  const std::string user = PosixMachine()->UserName();
  struct Case {
    int csidl;
    std::string path;
  } cases[] = {
      {CSIDL_DESKTOP, "C:\\users\\" + user + "\\Desktop"},
      {CSIDL_PROGRAMS,
       "C:\\users\\" + user + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
  };
  for (const auto& c : cases) {
    ItemIdListPtr list;
    ASSERT_EQ(Shell().SHGetSpecialFolderLocation(nullptr, c.csidl, &list), S_OK);
    std::array<char, MAX_PATH> buffer{};
    ASSERT_TRUE(Shell().SHGetPathFromIDListA(list.get(), buffer));
    EXPECT_EQ(std::string(buffer.data()), c.path);
    // A buffer too small for the path gets nothing.
    std::array<char, 8> small{};
    EXPECT_FALSE(Shell().SHGetPathFromIDListA(list.get(), small));
  }
  ItemIdListPtr list;
  EXPECT_EQ(Shell().SHGetSpecialFolderLocation(nullptr, 0x0005, &list), E_INVALIDARG);
}

TEST_F(ShellPosix, ShellExecuteRecordsTheRequest) {
  const std::string exe = ScratchD() + "\\Tarnwick.exe";
  auto out = Files().fopen_wb(exe);
  ASSERT_NE(out, nullptr);
  out->fclose();
  EXPECT_EQ(Shell().ShellExecuteA(nullptr, "open", exe, "", ScratchD(), SW_SHOWNORMAL), 42);
  EXPECT_EQ(Shell().ShellExecuteA(nullptr, "open", ScratchD() + "\\missing.exe", "", ScratchD(),
                                  SW_SHOWNORMAL),
            2);
  std::ifstream log(PosixMachine()->Root() / "shellexec.log");
  std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "open\t" + exe + "\t\t" + ScratchD() + "\t1\n");
}

}  // namespace
}  // namespace tw
