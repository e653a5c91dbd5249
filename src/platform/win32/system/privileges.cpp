#include "platform/win32/system/privileges.h"

#include <windows.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

bool switchOn(HANDLE token, const wchar_t* name) {
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid)) return false;
  // Succeeds also for a privilege the token lacks: only the last error tells.
  return ::AdjustTokenPrivileges(token, FALSE, &wanted, 0, nullptr, nullptr) &&
         ::GetLastError() == ERROR_SUCCESS;
}

}  // namespace

bool ownersCanBeKept() {
  static const bool restoring = [] {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &opened)) {
      return false;
    }
    const base::win32::UniqueKernelHandle token(opened);
    switchOn(token.get(), SE_BACKUP_NAME);
    return switchOn(token.get(), SE_RESTORE_NAME);
  }();
  return restoring;
}

}  // namespace mirafold::win32
