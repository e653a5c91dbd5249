#pragma once
// An entry's owner, permissions and integrity label, read from the original and given to its copy
// through a handle; and an entry the move made given back to this process.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

class EntrySecurity {
 public:
  // `asRoot`: what the original inherited from its parent is written into the copy, which then
  // inherits nothing from its new parent.
  platform::MoveStatus read(HANDLE original, const std::wstring& path, bool asRoot);
  // The access a handle on the copy needs for apply().
  DWORD accessNeeded() const;
  // Permissions and label first, then the owner: as the copy's owner this process may always
  // write the permissions, but once the owner is another only the restore privilege may. Where
  // the privilege is missing the copy stays the mover's (the confirmation said so).
  platform::MoveStatus apply(HANDLE copy, const std::wstring& path) const;

 private:
  bool ownerChanges() const;

  std::vector<std::uint8_t> stored_;  // as the system gave it
  std::vector<std::uint8_t> dacl_;    // a moved folder's permissions, all its own
  std::vector<std::uint8_t> sacl_;    // ... and its label
  SECURITY_DESCRIPTOR own_{};         // ... in a descriptor that inherits nothing
  bool built_ = false;
  bool labelled_ = false;
  PSID owner_ = nullptr;
};

// The entry's owner is not the one this process gives what it makes.
platform::MoveStatus ownerIsOther(HANDLE entry, const std::wstring& path, bool& other);

// Opens the entry itself with the access asked; invalid with the thread's last error on failure.
using EntryOpener = std::function<base::win32::UniqueFileHandle(DWORD access)>;

// `path`, made by this move and opened by `open`, owned by this process again where it may take
// it, and with permissions that grant this process's user everything, so that it can be deleted.
platform::MoveStatus reclaimEntry(const std::wstring& path, const EntryOpener& open);

}  // namespace mirafold::win32
