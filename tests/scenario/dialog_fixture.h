// The install dialog's operations with a scripted user in front of the dialog,
// on a test machine (see support/machine.h). The dialog is constructed but not
// run, so a test calls its operations directly and reads the boxes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <memory>
#include <span>
#include <string>

#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"
#include "support/machine.h"
#include "support/scripted_host.h"

namespace tw::test {

inline std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class DialogTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    auto host = std::make_unique<ScriptedHost>();
    host_ = host.get();
    platform().ui = std::move(host);
    dlg_ = std::make_unique<CInstallDlg>();
  }
  void TearDown() override {
    dlg_.reset();
    host_->Finish();
    MachineTest::TearDown();
  }

  std::string CurrentDirectory() {
    std::array<char, 1024> buffer{};
    const DWORD length = Files().GetCurrentDirectoryA(buffer);
    return std::string(buffer.data(), length < buffer.size() ? length : 0);
  }
  bool IsFolder(const std::string& path) {
    const DWORD attributes = Files().GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool Exists(const std::string& path) {
    return Files().GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  }
  void WriteFile(const std::string& path, const std::string& bytes) {
    auto out = Files().fopen_wb(path);
    ASSERT_TRUE(out) << path;
    ASSERT_EQ(out->fwrite(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size())),
              bytes.size());
    ASSERT_EQ(out->fclose(), 0);
  }

  ScriptedHost* host_ = nullptr;
  std::unique_ptr<CInstallDlg> dlg_;
};

}  // namespace tw::test
