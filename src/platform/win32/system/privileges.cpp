#include "platform/win32/system/privileges.h"

#include <cstdint>
#include <vector>

#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

bool restoreLuid(LUID& luid) { return ::LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &luid); }

}  // namespace

bool ownersCanBeKept() {
  static const bool holds = [] {
    HANDLE opened = nullptr;
    LUID restore{};
    if (!restoreLuid(restore) || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
      return false;
    }
    const base::win32::UniqueKernelHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    if (!size || !::GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) {
      return false;
    }
    const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
      const LUID& one = held->Privileges[i].Luid;
      if (one.LowPart == restore.LowPart && one.HighPart == restore.HighPart) return true;
    }
    return false;
  }();
  return holds;
}

RestorePrivilege::RestorePrivilege() {
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!ownersCanBeKept() || !restoreLuid(wanted.Privileges[0].Luid) ||
      !::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
    return;
  }
  DWORD size = sizeof before_;
  // Succeeds also for a privilege the token lacks: only the last error tells.
  switched_ = ::AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof before_, &before_, &size) &&
              ::GetLastError() == ERROR_SUCCESS;
}

RestorePrivilege::~RestorePrivilege() {
  // As it was before: the earlier state holds only what this object changed.
  if (switched_) ::AdjustTokenPrivileges(token_, FALSE, &before_, 0, nullptr, nullptr);
  if (token_) ::CloseHandle(token_);
}

}  // namespace mirafold::win32
