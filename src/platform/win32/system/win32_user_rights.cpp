#include "platform/win32/system/win32_user_rights.h"

#include <cstdint>
#include <vector>

#include "base/long_path.h"
#include "base/path_rules.h"
#include "platform/win32/system/privileges.h"

namespace mirafold::win32 {
Win32UserRights::Win32UserRights(DWORD window) : token_(userToken(window)) {}

bool Win32UserRights::mayMakeSymbolicLinks() {
  return (token_ && tokenHolds(token_.get(), SE_CREATE_SYMBOLIC_LINK_NAME)) ||
         developerModeAllowsLinks();
}

std::optional<bool> Win32UserRights::mayReplace(const std::wstring& folder) {
  // Whoever may change the permissions or the owner may give themselves the rest.
  constexpr DWORD kTakeOver = WRITE_DAC | WRITE_OWNER;
  if (::GetFileAttributesW(base::withLongPathPrefix(folder).c_str()) != INVALID_FILE_ATTRIBUTES) {
    const std::optional<bool> itself = grants(folder, DELETE | kTakeOver);
    if (itself != false) return itself;
  }
  const std::wstring parent = base::parentOf(folder);
  if (parent.empty()) return false;
  return grants(parent, FILE_DELETE_CHILD | kTakeOver);
}

std::optional<bool> Win32UserRights::grants(const std::wstring& path, DWORD rights) const {
  if (!token_) return std::nullopt;
  constexpr SECURITY_INFORMATION kWanted =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  const std::wstring name = base::withLongPathPrefix(path);
  DWORD size = 0;
  ::GetFileSecurityW(name.c_str(), kWanted, nullptr, 0, &size);
  std::vector<std::uint8_t> security(size);
  if (!size || !::GetFileSecurityW(name.c_str(), kWanted, security.data(), size, &size)) {
    return std::nullopt;
  }
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges, granted = 0;
  BOOL allowed = FALSE;
  if (!::AccessCheck(security.data(), token_.get(), MAXIMUM_ALLOWED, &mapping, &privileges,
                     &privilegesSize, &granted, &allowed)) {
    return std::nullopt;
  }
  return allowed && (granted & rights) != 0;
}

}  // namespace mirafold::win32
