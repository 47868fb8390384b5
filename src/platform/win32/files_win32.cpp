#include "platform/win32/files_win32.h"

#include <windows.h>
#include <direct.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace tw::win32 {

namespace {

static_assert(sizeof(tw::FILETIME) == sizeof(::FILETIME));
static_assert(sizeof(wchar_t) == sizeof(tw::WCHAR));

// The platform takes C strings: a string ends at its first NUL.
std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

::FILETIME ToNative(const tw::FILETIME& t) { return {t.dwLowDateTime, t.dwHighDateTime}; }
tw::FILETIME FromNative(const ::FILETIME& t) {
  tw::FILETIME out;
  out.dwLowDateTime = t.dwLowDateTime;
  out.dwHighDateTime = t.dwHighDateTime;
  return out;
}

void FromNative(const ::WIN32_FIND_DATAA& in, tw::WIN32_FIND_DATAA* out) {
  out->dwFileAttributes = in.dwFileAttributes;
  out->ftCreationTime = FromNative(in.ftCreationTime);
  out->ftLastAccessTime = FromNative(in.ftLastAccessTime);
  out->ftLastWriteTime = FromNative(in.ftLastWriteTime);
  out->nFileSizeHigh = in.nFileSizeHigh;
  out->nFileSizeLow = in.nFileSizeLow;
  static_assert(sizeof(out->cFileName) == sizeof(in.cFileName));
  static_assert(sizeof(out->cAlternateFileName) == sizeof(in.cAlternateFileName));
  std::memcpy(out->cFileName, in.cFileName, sizeof(in.cFileName));
  std::memcpy(out->cAlternateFileName, in.cAlternateFileName, sizeof(in.cAlternateFileName));
  out->cFileName[sizeof(out->cFileName) - 1] = '\0';
  out->cAlternateFileName[sizeof(out->cAlternateFileName) - 1] = '\0';
}

class StdioOutFile final : public IOutFile {
 public:
  explicit StdioOutFile(std::FILE* file) : file_(file) {}
  ~StdioOutFile() override {
    if (file_) std::fclose(file_);
  }
  std::size_t fwrite(std::span<const BYTE> data) override {
    if (!file_ || data.empty()) return 0;
    return std::fwrite(data.data(), 1, data.size(), file_);
  }
  int fclose() override {
    if (!file_) return EOF;
    int rc = std::fclose(file_);
    file_ = nullptr;
    return rc;
  }

 private:
  std::FILE* file_;
};

}  // namespace

int Win32Files::_getdrive() { return ::_getdrive(); }

int Win32Files::_chdrive(int drive) {
  // Out of range, some C runtimes call the invalid-parameter handler, which
  // ends the process; the answer is a plain failure.
  if (drive < 1 || drive > 26) return -1;
  if (::_chdrive(drive) == 0) return 0;
  // The folder the drive remembers may have been removed since; the drive
  // itself is still there, at its root.
  const char name[] = {'=', static_cast<char>('A' + drive - 1), ':', '\0'};
  const char root[] = {static_cast<char>('A' + drive - 1), ':', '\\', '\0'};
  if (!::SetEnvironmentVariableA(name, nullptr) || !::SetCurrentDirectoryA(root)) return -1;
  return 0;
}

DWORD Win32Files::GetCurrentDirectoryA(std::span<char> buffer) {
  return ::GetCurrentDirectoryA(static_cast<::DWORD>(buffer.size()), buffer.empty() ? nullptr : buffer.data());
}

BOOL Win32Files::SetCurrentDirectoryA(std::string_view path) {
  if (!::SetCurrentDirectoryA(CString(path).c_str())) return FALSE;
  char current[MAX_PATH];
  ::DWORD n = ::GetCurrentDirectoryA(MAX_PATH, current);
  if (n >= 2 && n < MAX_PATH && current[1] == ':') {
    const char name[] = {'=', static_cast<char>(current[0] & ~0x20), ':', '\0'};
    ::SetEnvironmentVariableA(name, current);
  }
  return TRUE;
}

BOOL Win32Files::CreateDirectoryA(std::string_view path) {
  return ::CreateDirectoryA(CString(path).c_str(), nullptr);
}

BOOL Win32Files::RemoveDirectoryA(std::string_view path) {
  return ::RemoveDirectoryA(CString(path).c_str());
}

tw::HANDLE Win32Files::FindFirstFileA(std::string_view pattern, tw::WIN32_FIND_DATAA* data) {
  ::WIN32_FIND_DATAA found{};
  ::HANDLE h = ::FindFirstFileA(CString(pattern).c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) FromNative(found, data);
  return h;
}

BOOL Win32Files::FindNextFileA(tw::HANDLE find, tw::WIN32_FIND_DATAA* data) {
  ::WIN32_FIND_DATAA found{};
  if (!::FindNextFileA(find, &found)) return FALSE;
  FromNative(found, data);
  return TRUE;
}

BOOL Win32Files::FindClose(tw::HANDLE find) { return ::FindClose(find); }

BOOL Win32Files::DeleteFileA(std::string_view path) { return ::DeleteFileA(CString(path).c_str()); }

BOOL Win32Files::MoveFileA(std::string_view from, std::string_view to) {
  return ::MoveFileA(CString(from).c_str(), CString(to).c_str());
}

BOOL Win32Files::SetFileAttributesA(std::string_view path, DWORD attributes) {
  return ::SetFileAttributesA(CString(path).c_str(), attributes);
}

DWORD Win32Files::GetFileAttributesA(std::string_view path) {
  return ::GetFileAttributesA(CString(path).c_str());
}

std::unique_ptr<IOutFile> Win32Files::fopen_wb(std::string_view path) {
  std::FILE* file = std::fopen(CString(path).c_str(), "wb");
  if (!file) return nullptr;
  return std::make_unique<StdioOutFile>(file);
}

tw::HANDLE Win32Files::CreateFileA(std::string_view path, DWORD access, DWORD shareMode,
                                   DWORD creation, DWORD attributes) {
  return ::CreateFileA(CString(path).c_str(), access, shareMode, nullptr, creation, attributes,
                       nullptr);
}

BOOL Win32Files::SetFileTime(tw::HANDLE file, const tw::FILETIME* creation,
                             const tw::FILETIME* lastAccess, const tw::FILETIME* lastWrite) {
  ::FILETIME c{}, a{}, w{};
  if (creation) c = ToNative(*creation);
  if (lastAccess) a = ToNative(*lastAccess);
  if (lastWrite) w = ToNative(*lastWrite);
  return ::SetFileTime(file, creation ? &c : nullptr, lastAccess ? &a : nullptr,
                       lastWrite ? &w : nullptr);
}

BOOL Win32Files::GetFileTime(tw::HANDLE file, tw::FILETIME* creation, tw::FILETIME* lastAccess,
                             tw::FILETIME* lastWrite) {
  ::FILETIME c{}, a{}, w{};
  if (!::GetFileTime(file, &c, &a, &w)) return FALSE;
  if (creation) *creation = FromNative(c);
  if (lastAccess) *lastAccess = FromNative(a);
  if (lastWrite) *lastWrite = FromNative(w);
  return TRUE;
}

BOOL Win32Files::CloseHandle(tw::HANDLE handle) { return ::CloseHandle(handle); }

BOOL Win32Files::GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller,
                                     std::uint64_t* total, std::uint64_t* totalFree) {
  const std::string path = CString(root);
  ULARGE_INTEGER f{}, t{}, tf{};
  if (!::GetDiskFreeSpaceExA(OrNull(path), &f, &t, &tf)) return FALSE;
  if (freeToCaller) *freeToCaller = f.QuadPart;
  if (total) *total = t.QuadPart;
  if (totalFree) *totalFree = tf.QuadPart;
  return TRUE;
}

BOOL Win32Files::GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* freeClusters,
                                   DWORD* totalClusters) {
  const std::string path = CString(root);
  ::DWORD spc = 0, bps = 0, fc = 0, tc = 0;
  if (!::GetDiskFreeSpaceA(OrNull(path), &spc, &bps, &fc, &tc)) return FALSE;
  if (sectorsPerCluster) *sectorsPerCluster = spc;
  if (bytesPerSector) *bytesPerSector = bps;
  if (freeClusters) *freeClusters = fc;
  if (totalClusters) *totalClusters = tc;
  return TRUE;
}

UINT Win32Files::GetWindowsDirectoryA(std::span<char> buffer) {
  // The platform may write its answer before it finds that it does not fit;
  // a full-size buffer of our own keeps the caller's untouched then.
  char dir[MAX_PATH + 1] = {};
  UINT n = ::GetWindowsDirectoryA(dir, sizeof dir);
  if (n == 0 || n >= sizeof dir) return n;
  if (n + 1 > buffer.size()) return n + 1;
  std::memcpy(buffer.data(), dir, n + 1);
  return n;
}

DWORD Win32Files::GetLastError() { return ::GetLastError(); }

int Win32Files::MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                                    std::span<tw::WCHAR> out) {
  const std::string source = CString(text);
  return ::MultiByteToWideChar(codePage, flags, source.c_str(), -1,
                               reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size()));
}

BOOL Win32Files::IsDBCSLeadByte(BYTE c) { return ::IsDBCSLeadByte(c); }

}  // namespace tw::win32
