#include "platform/posix/shell_posix.h"

#include <algorithm>
#include <fstream>

#include "platform/posix/shelllink_posix.h"
#include "platform/winconst.h"

namespace tw::posix {

namespace {
thread_local int t_comInits = 0;
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr INT_PTR kShellExecuteOk = 42;
constexpr INT_PTR kSeErrFileNotFound = 2;
constexpr INT_PTR kSeErrAccessDenied = 5;
}  // namespace

PosixShell::PosixShell(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}

HRESULT PosixShell::CoInitialize(void*) { return t_comInits++ == 0 ? S_OK : S_FALSE; }

void PosixShell::UninitializeCom() { t_comInits = 0; }

HRESULT PosixShell::SHGetSpecialFolderLocation(HWND, int csidl, ItemIdListPtr* out) {
  if (!out) return E_INVALIDARG;
  out->reset();
  switch (csidl) {
    case CSIDL_PROGRAMS:
      *out = std::make_unique<PathItemIdList>(machine_->ProgramsDirectory());
      return S_OK;
    case CSIDL_DESKTOP:
      *out = std::make_unique<PathItemIdList>(machine_->DesktopDirectory());
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

BOOL PosixShell::SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) {
  if (!list || buffer.empty()) return 0;
  // The platform writes into a MAX_PATH buffer whatever size the caller has.
  return list->GetPath(buffer.first(std::min<std::size_t>(buffer.size(), MAX_PATH)));
}

HRESULT PosixShell::CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD, const IID& iid,
                                     void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (t_comInits == 0) return CO_E_NOTINITIALIZED;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(clsid == CLSID_ShellLink)) return REGDB_E_CLASSNOTREG;
  return CreateShellLinkObject(machine_, iid, out);
}

INT_PTR PosixShell::ShellExecuteA(HWND, std::string_view verb, std::string_view file,
                                  std::string_view parameters, std::string_view directory,
                                  int showCmd) {
  auto host = machine_->Resolve(file);
  std::error_code ec;
  if (!host || !std::filesystem::is_regular_file(*host, ec)) return kSeErrFileNotFound;
  std::ofstream log(ShellExecuteLog(), std::ios::app | std::ios::binary);
  log << verb << '\t' << file << '\t' << parameters << '\t' << directory << '\t' << showCmd << '\n';
  log.flush();
  return log ? kShellExecuteOk : kSeErrAccessDenied;
}

}  // namespace tw::posix
