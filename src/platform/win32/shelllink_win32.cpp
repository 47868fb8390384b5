#include "platform/win32/shelllink_win32.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <atomic>
#include <string>

namespace tw::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(WCHAR), "the platform's wide strings are UTF-16");

// The setters take C strings.
std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

class ShellLinkAdapter final : public tw::IShellLinkA, public tw::IPersistFile {
 public:
  explicit ShellLinkAdapter(::IShellLinkA* link) : link_(link) {}

  tw::HRESULT QueryInterface(const tw::IID& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IShellLinkA) {
      *out = static_cast<tw::IShellLinkA*>(this);
    } else if (iid == IID_IPersistFile) {
      if (!file_) {
        ::IPersistFile* file = nullptr;
        const ::HRESULT hr = link_->QueryInterface(::IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (FAILED(hr)) return hr;
        if (!file) return E_NOINTERFACE;
        file_ = file;
      }
      *out = static_cast<tw::IPersistFile*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  tw::ULONG AddRef() override { return ++refs_; }
  tw::ULONG Release() override {
    const tw::ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  tw::HRESULT SetDescription(std::string_view text) override {
    return link_->SetDescription(CString(text).c_str());
  }
  tw::HRESULT SetIconLocation(std::string_view path, int index) override {
    return link_->SetIconLocation(CString(path).c_str(), index);
  }
  tw::HRESULT SetPath(std::string_view path) override { return link_->SetPath(CString(path).c_str()); }
  tw::HRESULT SetWorkingDirectory(std::string_view path) override {
    return link_->SetWorkingDirectory(CString(path).c_str());
  }
  tw::HRESULT SetShowCmd(int showCmd) override { return link_->SetShowCmd(showCmd); }

  tw::HRESULT Save(const tw::WCHAR* path, tw::BOOL remember) override {
    return file_->Save(reinterpret_cast<LPCOLESTR>(path), remember);
  }

 private:
  ~ShellLinkAdapter() {
    if (file_) file_->Release();
    link_->Release();
  }

  ::IShellLinkA* link_;
  ::IPersistFile* file_ = nullptr;
  std::atomic<tw::ULONG> refs_{1};
};

}  // namespace

tw::HRESULT CreateShellLinkObject(const tw::IID& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ::IShellLinkA* link = nullptr;
  const ::HRESULT hr = CoCreateInstance(::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, ::IID_IShellLinkA,
                                        reinterpret_cast<void**>(&link));
  if (FAILED(hr) || !link) return FAILED(hr) ? hr : E_NOINTERFACE;
  auto* adapter = new ShellLinkAdapter(link);
  const tw::HRESULT result = adapter->QueryInterface(iid, out);
  adapter->Release();
  return result;
}

}  // namespace tw::win32
