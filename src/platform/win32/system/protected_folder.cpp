#include "platform/win32/system/protected_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "base/win32/handles.h"
#include "platform/win32/system/known_folders.h"

namespace mirafold::win32 {
namespace {

constexpr wchar_t kProtected[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;AU)";

bool protect(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  if (!::CreateDirectoryW(path.c_str(), &attributes) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  // Made before, perhaps by a user's program: the folder itself is opened, never a link there.
  const base::win32::UniqueFileHandle folder(
      ::CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder || !::GetFileInformationByHandle(folder.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return false;
  }
  return ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                               PROTECTED_DACL_SECURITY_INFORMATION,
                           owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::wstring makeProtectedJournalFolder() {
  const std::wstring journals = protectedJournalFolder();
  base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (journals.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                              kProtected, SDDL_REVISION_1, descriptor.put(), nullptr)) {
    return {};
  }
  const std::wstring parent = journals.substr(0, journals.rfind(L'\\'));
  if (!protect(parent, descriptor.get()) || !protect(journals, descriptor.get())) return {};
  return journals;
}

}  // namespace mirafold::win32
