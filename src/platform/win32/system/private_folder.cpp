#include "platform/win32/system/private_folder.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace mirafold::win32 {

base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> privateFolderSecurity() {
  HANDLE opened = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
  const base::win32::UniqueKernelHandle token(opened);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> user(size);
  if (!size || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
  PWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid,
                                &text)) {
    return {};
  }
  const base::win32::UniqueLocalMemory<PWSTR> sid(text);
  // Elevated, the user's own programs (which run with the same user but unelevated) must not
  // reach the copy either: only SYSTEM and the administrators then.
  TOKEN_ELEVATION elevation{};
  DWORD got = 0;
  const bool elevated =
      ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &got) &&
      elevation.TokenIsElevated;
  // Protected (P), full access (FA) for SYSTEM, the administrators and (unelevated) the user,
  // handed on to files (OI) and folders (CI) inside.
  std::wstring sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
  if (!elevated) sddl += L"(A;OICI;FA;;;" + std::wstring(sid.get()) + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
    return {};
  }
  return base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR>(descriptor);
}

}  // namespace mirafold::win32
