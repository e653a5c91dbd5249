#include "platform/win32/system/link_copy.h"

#include <winioctl.h>

#include "base/reparse_data.h"
#include "base/symbolic_link_target.h"
#include "base/win32/nt_files.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/handle_entries.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;
using platform::MoveStatus;

MoveStatus symbolicLinkBySystem(const std::wstring& to, const base::SymbolicLink& link,
                                bool folder) {
  const std::wstring callable = callablePath(to);
  const std::wstring target = base::symbolicLinkTargetForSystem(link);
  const DWORD kind = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
  // Older Windows refuses the developer-mode flag as an invalid parameter.
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (::CreateSymbolicLinkW(callable.c_str(), target.c_str(), kind | kUnprivileged) ||
      (::GetLastError() == ERROR_INVALID_PARAMETER &&
       ::CreateSymbolicLinkW(callable.c_str(), target.c_str(), kind))) {
    return MoveStatus::success();
  }
  return lastStatus(to);
}

}  // namespace

MoveStatus makeLinkFromBytes(const std::wstring& to, const LinkOriginal& original,
                             const EntryMaker& make, DWORD access,
                             base::win32::UniqueFileHandle& link) {
  const bool folder = original.basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  base::win32::UniqueFileHandle made;
  if (MoveStatus st = make(folder ? nt::kFolderOnly : nt::kFileOnly,
                           GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | access, made);
      !st.ok()) {
    return st;
  }
  DWORD unused = 0;
  if (::DeviceIoControl(made.get(), FSCTL_SET_REPARSE_POINT,
                        const_cast<std::uint8_t*>(original.data.data()),
                        static_cast<DWORD>(original.data.size()), nullptr, 0, &unused, nullptr)) {
    link = std::move(made);
    return MoveStatus::success();
  }
  const DWORD error = ::GetLastError();
  deleteThrough(made.get());
  made.reset();
  const auto stored =
      error == ERROR_PRIVILEGE_NOT_HELD ? base::parseSymbolicLinkData(original.data) : std::nullopt;
  return stored ? symbolicLinkBySystem(to, *stored, folder) : statusOf(error, to);
}

}  // namespace mirafold::win32
