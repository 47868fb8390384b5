#include "platform/posix/process_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/winconst.h"

namespace tw::posix {

namespace {

constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorNotOwner = 288;
constexpr DWORD kErrorInvalidWindowHandle = 1400;

// Entry points are never called through these tokens; each is a distinct
// function so that two exports never look alike.
void ExportGetDiskFreeSpaceExA() {}
void ExportGetDiskFreeSpaceA() {}
void ExportVerInstallFileA() {}

struct Export {
  const char* name;
  FARPROC proc;
};

struct Module {
  const char* name;  // without ".dll", lower case
  Export exports[2];
};

const Module kModules[] = {
    {"kernel32",
     {{"GetDiskFreeSpaceExA", &ExportGetDiskFreeSpaceExA},
      {"GetDiskFreeSpaceA", &ExportGetDiskFreeSpaceA}}},
    {"version", {{"VerInstallFileA", &ExportVerInstallFileA}, {nullptr, nullptr}}},
};

std::string ModuleKey(std::string_view name) {
  std::string key;
  for (char c : name) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0) key.resize(key.size() - 4);
  return key;
}

const Module* FindModule(HMODULE module) {
  for (const Module& m : kModules) {
    if (reinterpret_cast<HMODULE>(const_cast<Module*>(&m)) == module) return &m;
  }
  return nullptr;
}

// A mutex name as a host file name: anything but letters, digits, '-', '_'
// and '.' becomes %XX, so no name can leave the folder.
std::string LockFileName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || (c == '.' && !out.empty());
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + ".lock";
}

}  // namespace

struct PosixProcess::Mutex {
  int fd = -1;          // the lock file, locked when `holder` is set
  bool holder = false;  // this handle holds the name
  bool owned = false;   // ownership taken at creation and not yet released
  ~Mutex() {
    if (fd >= 0) ::close(fd);  // closing drops the flock
  }
};

PosixProcess::PosixProcess(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
PosixProcess::~PosixProcess() = default;

HANDLE PosixProcess::CreateMutexA(BOOL initialOwner, std::string_view name) {
  auto mutex = std::make_unique<Mutex>();
  DWORD result = 0;
  if (!name.empty()) {
    std::filesystem::path folder = machine_->Root() / "mutex";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::path file = folder / LockFileName(name);
    mutex->fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (mutex->fd < 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (::flock(mutex->fd, LOCK_EX | LOCK_NB) == 0) {
      mutex->holder = true;
    } else if (errno == EWOULDBLOCK) {
      result = ERROR_ALREADY_EXISTS;
    } else {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  } else {
    mutex->holder = true;
  }
  mutex->owned = initialOwner && mutex->holder;
  HANDLE handle = mutex.get();
  mutexes_[handle] = std::move(mutex);
  SetLastError(result);
  return handle;
}

BOOL PosixProcess::ReleaseMutex(HANDLE handle) {
  auto it = mutexes_.find(handle);
  if (it == mutexes_.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!it->second->owned) {
    SetLastError(kErrorNotOwner);
    return 0;
  }
  it->second->owned = false;
  return 1;
}

BOOL PosixProcess::CloseHandle(HANDLE handle) {
  if (mutexes_.erase(handle) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return 1;
}

DWORD PosixProcess::GetLastError() { return posix::GetLastError(); }

HWND PosixProcess::FindWindowA(std::string_view, std::string_view) { return nullptr; }

BOOL PosixProcess::PostMessageA(HWND, UINT, WPARAM, LPARAM) {
  SetLastError(kErrorInvalidWindowHandle);
  return 0;
}

HMODULE PosixProcess::LoadLibraryA(std::string_view name) {
  const std::string key = ModuleKey(name);
  for (const Module& m : kModules) {
    if (key == m.name) return reinterpret_cast<HMODULE>(const_cast<Module*>(&m));
  }
  SetLastError(kErrorModNotFound);
  return nullptr;
}

FARPROC PosixProcess::GetProcAddress(HMODULE module, std::string_view name) {
  const Module* m = FindModule(module);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  for (const Export& e : m->exports) {
    if (e.name && name == e.name) return e.proc;
  }
  SetLastError(kErrorProcNotFound);
  return nullptr;
}

BOOL PosixProcess::FreeLibrary(HMODULE module) {
  if (!FindModule(module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return 1;
}

void PosixProcess::ExitProcess(UINT code) {
  std::fflush(nullptr);
  std::exit(static_cast<int>(code));
}

}  // namespace tw::posix
