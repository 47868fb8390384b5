// The win32 side of the shell-link contract: a scratch folder under the temp
// folder, links read back through the system's own link object.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <string>

#include "contract/shelllink_test_env.h"
#include "platform/win32/shelllink_win32.h"

namespace tw::test {
namespace {

void RemoveTree(const std::string& folder) {
  ::WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

class Win32ShellLinkEnv final : public ShellLinkEnv {
 public:
  Win32ShellLinkEnv() {
    CoInitialize(nullptr);  // S_FALSE after the first test: fine
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch_ = std::string(temp) + "tw-shelllink-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(counter++);
    CreateDirectoryA(scratch_.c_str(), nullptr);
  }
  ~Win32ShellLinkEnv() override { RemoveTree(scratch_); }

  tw::HRESULT CreateLink(const tw::IID& iid, void** out) override {
    return win32::CreateShellLinkObject(iid, out);
  }
  std::string Scratch() const override { return scratch_; }
  std::vector<std::string> List(const std::string& folder) const override {
    std::vector<std::string> names;
    ::WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }
  bool MakeFolder(const std::string& folder) override {
    return SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS;
  }
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& file) const override {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  std::optional<LinkReadBack> ReadLink(const std::string& file) const override {
    return ReadLinkFile(file, nullptr);
  }


 private:
  std::string scratch_;
};

}  // namespace

std::unique_ptr<ShellLinkEnv> ShellLinkEnv::Make() { return std::make_unique<Win32ShellLinkEnv>(); }

}  // namespace tw::test
