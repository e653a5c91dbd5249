#include "platform/win32/system/protected_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "base/path_rules.h"
#include "base/win32/exported.h"
#include "base/win32/handles.h"
#include "platform/win32/system/known_folders.h"

namespace mirafold::win32 {
namespace {

constexpr wchar_t kProtected[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;AU)";

enum class Found { Made, Ours, NotOurs, Failed };

// Owned by the administrators or SYSTEM: what only an elevated program can give a folder it makes.
// Under Wine the owner set here does not read back as the administrators (and the helper runs as
// the user anyway): there the folder found is taken as it is.
bool madeElevated(HANDLE folder) {
  if (base::win32::runningUnderWine()) return true;
  PSID owner = nullptr;
  base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (::GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS) {
    return false;
  }
  return ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
         ::IsWellKnownSid(owner, WinLocalSystemSid);
}

// Makes `path` with the protected descriptor, or finds it there. A folder found is opened itself,
// never through a link; one a user's program made, or a link, is NotOurs and left as it is.
Found make(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  if (::CreateDirectoryW(path.c_str(), &attributes)) return Found::Made;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return Found::Failed;
  const base::win32::UniqueFileHandle folder(::CreateFileW(
      path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder || !::GetFileInformationByHandle(folder.get(), &info)) return Found::Failed;
  const bool plain = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                     !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  return plain && madeElevated(folder.get()) ? Found::Ours : Found::NotOurs;
}

// The protected owner and permissions set again on a folder of ours, opened itself.
bool protect(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
  const base::win32::UniqueFileHandle folder(
      ::CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (!folder || !::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return false;
  }
  return ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                               PROTECTED_DACL_SECURITY_INFORMATION,
                           owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

// `path` made ours: a folder a user's program made (or a link in its place) may hold entries it
// wrote, or be held open to change its permissions back: put aside under a name of its own, never
// read, and a new one made.
bool makeOurs(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
  Found found = make(path, descriptor);
  if (found == Found::NotOurs) {
    const std::wstring aside = path + L"-untrusted-" + std::to_wstring(::GetTickCount64());
    if (!::MoveFileExW(path.c_str(), aside.c_str(), 0)) return false;
    found = make(path, descriptor);
  }
  return (found == Found::Made || found == Found::Ours) && protect(path, descriptor);
}

}  // namespace

std::wstring makeProtectedJournalFolder() {
  const std::wstring journals = protectedJournalFolder();
  base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (journals.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                              kProtected, SDDL_REVISION_1, descriptor.put(), nullptr)) {
    return {};
  }
  // The folder above too, so that nobody else may rename what is in it (any user may make
  // folders in ProgramData, or put a link to one of their own there).
  const std::wstring parent = base::parentOf(journals);
  if (!makeOurs(parent, descriptor.get()) || !makeOurs(journals, descriptor.get())) return {};
  return journals;
}

}  // namespace mirafold::win32
