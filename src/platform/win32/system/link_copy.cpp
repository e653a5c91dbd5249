#include "platform/win32/system/link_copy.h"

#include <winioctl.h>

#include "base/reparse_data.h"
#include "base/symbolic_link_target.h"
#include "base/win32/handles.h"
#include "platform/win32/system/copy_fidelity.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

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

MoveStatus makeLinkFromBytes(const std::wstring& to, const LinkOriginal& original) {
  const bool folder = original.basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  const std::wstring callable = callablePath(to);
  if (folder) {
    if (!::CreateDirectoryW(callable.c_str(), nullptr)) return lastStatus(to);
  } else if (!base::win32::UniqueFileHandle(::CreateFileW(callable.c_str(), GENERIC_WRITE, 0,
                                                          nullptr, CREATE_NEW,
                                                          FILE_ATTRIBUTE_NORMAL, nullptr))) {
    return lastStatus(to);
  }
  DWORD error = ERROR_SUCCESS;
  {
    const base::win32::UniqueFileHandle link = openCopyEntry(to, GENERIC_WRITE);
    DWORD unused = 0;
    if (!link || !::DeviceIoControl(link.get(), FSCTL_SET_REPARSE_POINT,
                                    const_cast<std::uint8_t*>(original.data.data()),
                                    static_cast<DWORD>(original.data.size()), nullptr, 0, &unused,
                                    nullptr)) {
      error = ::GetLastError();
    }
  }
  if (!error) return MoveStatus::success();
  folder ? ::RemoveDirectoryW(callable.c_str()) : ::DeleteFileW(callable.c_str());
  const auto link =
      error == ERROR_PRIVILEGE_NOT_HELD ? base::parseSymbolicLinkData(original.data) : std::nullopt;
  return link ? symbolicLinkBySystem(to, *link, folder) : statusOf(error, to);
}

}  // namespace mirafold::win32
