#include "platform/win32/system/privileges.h"

#include <cstdint>
#include <vector>

namespace mirafold::win32 {
namespace {

bool restoreLuid(LUID& luid) { return ::LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &luid); }

}  // namespace

bool tokenHolds(HANDLE token, const wchar_t* privilege) {
  LUID wanted{};
  if (!::LookupPrivilegeValueW(nullptr, privilege, &wanted)) return false;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (!size || !::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    return false;
  }
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
    const LUID& one = held->Privileges[i].Luid;
    if (one.LowPart == wanted.LowPart && one.HighPart == wanted.HighPart) return true;
  }
  return false;
}

bool ownersCanBeKept() {
  static const bool holds = [] {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const base::win32::UniqueKernelHandle token(opened);
    return tokenHolds(token.get(), SE_RESTORE_NAME);
  }();
  return holds;
}

base::win32::UniqueKernelHandle userToken(DWORD window) {
  HANDLE opened = nullptr;
  const base::win32::UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, window));
  if (process && ::OpenProcessToken(process.get(), TOKEN_QUERY | TOKEN_DUPLICATE, &opened)) {
    const base::win32::UniqueKernelHandle theirs(opened);
    HANDLE duplicate = nullptr;
    if (::DuplicateToken(theirs.get(), SecurityIdentification, &duplicate)) {
      return base::win32::UniqueKernelHandle(duplicate);
    }
  }
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &opened)) {
    return {};
  }
  const base::win32::UniqueKernelHandle own(opened);
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (::GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size) &&
      type == TokenElevationTypeFull) {
    // Without the TCB privilege this is an identification token, which is what a check needs.
    TOKEN_LINKED_TOKEN linked{};
    if (!::GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &size)) {
      return {};
    }
    return base::win32::UniqueKernelHandle(linked.LinkedToken);
  }
  HANDLE duplicate = nullptr;
  if (!::DuplicateToken(own.get(), SecurityIdentification, &duplicate)) return {};
  return base::win32::UniqueKernelHandle(duplicate);
}

bool developerModeAllowsLinks() {
  DWORD developerMode = 0, size = sizeof developerMode;
  return ::RegGetValueW(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppModelUnlock",
                        L"AllowDevelopmentWithoutDevLicense", RRF_RT_REG_DWORD, nullptr,
                        &developerMode, &size) == ERROR_SUCCESS &&
         developerMode == 1;
}

RestorePrivilege::RestorePrivilege() {
  if (!ownersCanBeKept()) return;
  HANDLE opened = nullptr;
  // A thread already on its own token (an outer object's) switches it there; the outer ends it.
  if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES, TRUE, &opened)) {
    if (!::ImpersonateSelf(SecurityImpersonation)) return;
    impersonating_ = true;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES, TRUE, &opened)) return;
  }
  const base::win32::UniqueKernelHandle token(opened);
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (restoreLuid(wanted.Privileges[0].Luid)) {
    ::AdjustTokenPrivileges(token.get(), FALSE, &wanted, 0, nullptr, nullptr);
  }
}

RestorePrivilege::~RestorePrivilege() {
  // The thread's copy of the token goes, and the privilege with it.
  if (impersonating_) ::RevertToSelf();
}

}  // namespace mirafold::win32
