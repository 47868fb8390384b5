#include "platform/posix/resources_posix.h"

#include <limits>

namespace tw::posix {

PosixResources::PosixResources()
    : table_(resources::Builtins().begin(), resources::Builtins().end()) {}

PosixResources::PosixResources(std::vector<resources::Entry> table) : table_(std::move(table)) {}

const resources::Entry* PosixResources::Lookup(const void* handle) const {
  // Only handles this service gave out are honoured; anything else is "none".
  for (const resources::Entry& entry : table_) {
    if (&entry == handle) {
      return &entry;
    }
  }
  return nullptr;
}

HRSRC PosixResources::FindResourceA(HMODULE /*module*/, WORD id, std::string_view type) {
  for (resources::Entry& entry : table_) {
    if (entry.id == id && resources::SameTypeName(entry.type, type)) {
      return reinterpret_cast<HRSRC>(&entry);
    }
  }
  return nullptr;
}

HGLOBAL PosixResources::LoadResource(HMODULE /*module*/, HRSRC resource) {
  const resources::Entry* entry = Lookup(resource);
  return entry ? reinterpret_cast<HGLOBAL>(const_cast<resources::Entry*>(entry)) : nullptr;
}

DWORD PosixResources::SizeofResource(HMODULE /*module*/, HRSRC resource) {
  const resources::Entry* entry = Lookup(resource);
  if (!entry || entry->bytes.size() > std::numeric_limits<DWORD>::max()) {
    return 0;
  }
  return static_cast<DWORD>(entry->bytes.size());
}

const void* PosixResources::LockResource(HGLOBAL loaded) {
  const resources::Entry* entry = Lookup(loaded);
  if (!entry) {
    return nullptr;
  }
  // A loaded resource has an address even when it is empty, as on the platform.
  static const std::uint8_t kEmpty = 0;
  return entry->bytes.data() ? static_cast<const void*>(entry->bytes.data()) : &kEmpty;
}

}  // namespace tw::posix
