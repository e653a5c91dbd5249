#include "platform/win32/system/win32_move_lock.h"

#include <windows.h>

#include "base/path_rules.h"
#include "base/win32/handles.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

struct HeldFile final : platform::MoveLock::Held {
  explicit HeldFile(base::win32::UniqueFileHandle f) : file(std::move(f)) {}
  base::win32::UniqueFileHandle file;
};

}  // namespace

std::unique_ptr<platform::MoveLock::Held> Win32MoveLock::tryHold() {
  if (!base::isPlainAbsolutePath(path_)) return std::make_unique<Held>();
  createFolders(base::parentOf(path_));
  // Read access is enough to take part in sharing, and is refused by no file the user owns. A
  // link planted in its place is opened itself, not followed.
  base::win32::UniqueFileHandle file(
      ::CreateFileW(callablePath(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file) return std::make_unique<HeldFile>(std::move(file));
  if (::GetLastError() == ERROR_SHARING_VIOLATION) return nullptr;
  // A lock that cannot be made at all (no journal folder) keeps no move from its start: the
  // moves' own journals meet the same fault and tell it. The window's own guard still holds.
  return std::make_unique<Held>();
}

}  // namespace mirafold::win32
