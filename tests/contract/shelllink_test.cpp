// What the shell-link object promises, on every backend: the installer sets five
// properties, asks for IPersistFile and saves; the result of Save tells whether
// the .lnk file is there.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "contract/shelllink_test_env.h"
#include "platform/shell.h"
#include "platform/winconst.h"

namespace tw::test {
namespace {

// The results the system's link object gives, from creating the file.
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003u);
constexpr HRESULT kInvalidName = static_cast<HRESULT>(0x8007007Bu);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);

// Holds one reference and releases it.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (p_) p_->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

WideString Wide(const std::string& ascii) { return WideString(ascii.begin(), ascii.end()); }

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

class ShellLinkContract : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = ShellLinkEnv::Make();
    scratch_ = env_->Scratch();
    installDir_ = scratch_ + "\\Tarnwick";
    target_ = installDir_ + "\\Tarnwick.exe";
  }

  // The installer's sequence: five setters, IPersistFile, Save.
  HRESULT MakeLink(const std::string& file, const std::string& description, BOOL remember = TRUE) {
    Ref<IShellLinkA> link;
    const HRESULT created = env_->CreateLink(IID_IShellLinkA, link.Out());
    EXPECT_EQ(created, S_OK);
    if (created != S_OK) return created;
    link->SetDescription(description);
    link->SetIconLocation(target_, 0);
    link->SetPath(target_);
    link->SetWorkingDirectory(installDir_);
    link->SetShowCmd(SW_SHOWNORMAL);
    Ref<IPersistFile> persist;
    const HRESULT queried = link->QueryInterface(IID_IPersistFile, persist.Out());
    EXPECT_EQ(queried, S_OK);
    if (queried != S_OK) return queried;
    const WideString wide = Wide(file);
    return persist->Save(wide.c_str(), remember);
  }

  std::unique_ptr<ShellLinkEnv> env_;
  std::string scratch_, installDir_, target_;
};

TEST_F(ShellLinkContract, SavesEveryPropertyTheInstallerSets) {
  for (const BOOL remember : {TRUE, FALSE}) {
    SCOPED_TRACE(remember);
    const std::string file = scratch_ + "\\Tarnwick Help.lnk";
    ASSERT_EQ(MakeLink(file, "Tarnwick Help"), S_OK);
    EXPECT_EQ(env_->List(scratch_), std::vector<std::string>{"Tarnwick Help.lnk"}) << "no stray files";

    const auto back = env_->ReadLink(file);
    ASSERT_TRUE(back) << "the saved link does not load";
    EXPECT_EQ(back->path, target_);
    EXPECT_EQ(back->description, "Tarnwick Help");
    EXPECT_EQ(back->workingDirectory, installDir_);
    EXPECT_EQ(back->iconLocation, target_);
    EXPECT_EQ(back->iconIndex, 0);

    // Neither reader gives the show command back: it sits at 0x3C.
    const auto bytes = env_->ReadBytes(file);
    ASSERT_TRUE(bytes);
    ASSERT_GE(bytes->size(), 0x4Cu);
    EXPECT_EQ(U32At(*bytes, 0), 0x4Cu);
    EXPECT_EQ(U32At(*bytes, 0x3C), 1u);
  }
}

TEST_F(ShellLinkContract, SaveIntoAMissingFolderFailsAndLeavesNothing) {
  EXPECT_EQ(MakeLink(scratch_ + "\\Start Menu\\Tarnwick.lnk", "Tarnwick"), kPathNotFound);
  EXPECT_EQ(MakeLink(scratch_ + "\\a\\b\\Tarnwick.lnk", "Tarnwick"), kPathNotFound);
  EXPECT_TRUE(env_->List(scratch_).empty());
}

TEST_F(ShellLinkContract, SaveWithARefusedNameFails) {
  for (const char* name : {"Tarn?wick.lnk", "Tarn*wick.lnk", "Tarn|wick.lnk", "Tarn<wick.lnk", "Tarn>wick.lnk",
                           "Tarn\"wick.lnk", "Tarn\x01wick.lnk", "*.lnk"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(MakeLink(scratch_ + "\\" + name, "Tarnwick"), kInvalidName);
  }
  EXPECT_TRUE(env_->List(scratch_).empty());
}

TEST_F(ShellLinkContract, SaveOverwritesAnExistingLink) {
  const std::string file = scratch_ + "\\Tarnwick.lnk";
  ASSERT_EQ(MakeLink(file, "Tarnwick 1.12"), S_OK);
  ASSERT_EQ(MakeLink(file, "Tarnwick"), S_OK);
  auto back = env_->ReadLink(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->description, "Tarnwick");

  // Names compare without regard to case: the file keeps its name.
  ASSERT_EQ(MakeLink(scratch_ + "\\TARNWICK.LNK", "Again"), S_OK);
  EXPECT_EQ(env_->List(scratch_), std::vector<std::string>{"Tarnwick.lnk"});
  back = env_->ReadLink(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->description, "Again");
}

TEST_F(ShellLinkContract, SaveOverAFolderIsDenied) {
  ASSERT_TRUE(env_->MakeFolder(scratch_ + "\\Tarnwick.lnk"));
  EXPECT_EQ(MakeLink(scratch_ + "\\Tarnwick.lnk", "Tarnwick"), kAccessDenied);
  EXPECT_EQ(MakeLink(scratch_ + "\\", "Tarnwick"), kAccessDenied);
  EXPECT_EQ(env_->List(scratch_), std::vector<std::string>{"Tarnwick.lnk"});
}

TEST_F(ShellLinkContract, QueryInterface) {
  Ref<IShellLinkA> link;
  ASSERT_EQ(env_->CreateLink(IID_IShellLinkA, link.Out()), S_OK);
  ASSERT_NE(link.get(), nullptr);

  const IID unknownIid = {0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  void* out = &out;  // a sentinel: the failure must clear it
  EXPECT_EQ(link->QueryInterface(unknownIid, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  for (const IID& iid : {IID_IUnknown, IID_IShellLinkA, IID_IPersistFile}) {
    Ref<IUnknown> other;
    EXPECT_EQ(link->QueryInterface(iid, other.Out()), S_OK);
    EXPECT_NE(other.get(), nullptr);
  }

  // The factory itself answers for the interface asked.
  Ref<IPersistFile> persist;
  EXPECT_EQ(env_->CreateLink(IID_IPersistFile, persist.Out()), S_OK);
  EXPECT_NE(persist.get(), nullptr);
  out = &out;
  EXPECT_EQ(env_->CreateLink(unknownIid, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace tw::test
