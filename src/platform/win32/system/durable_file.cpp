#include "platform/win32/system/durable_file.h"

#include <windows.h>

#include <string_view>

#include "base/path_rules.h"
#include "base/rights.h"
#include "base/text.h"
#include "base/win32/handles.h"
#include "base/win32/nt_files.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
using platform::MoveStatus;

void createFolders(const std::wstring& folder) {
  const std::size_t root = base::rootLength(folder);
  for (std::size_t i = root; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == L'\\') {
      ::CreateDirectoryW(callablePath(folder.substr(0, i)).c_str(), nullptr);
    }
  }
}

MoveStatus statusOf(unsigned long error, const std::wstring& path) {
  const std::wstring reason = systemMessage(error) + L" (" + path + L")";
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
    return {MoveStatus::Code::InUse, reason, path};
  }
  if (base::isNoRightsError(error)) return {MoveStatus::Code::NoRights, reason, {}};
  // A link met below a held folder where a real folder or the entry itself must be.
  if (error == base::win32::kErrorLinkOnTheWay) return {MoveStatus::Code::Changed, reason, path};
  return MoveStatus::failure(reason);
}

MoveStatus lastStatus(const std::wstring& path) { return statusOf(::GetLastError(), path); }

MoveStatus writeDurably(const std::wstring& path, const std::wstring& text) {
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos) createFolders(path.substr(0, cut));
  const std::wstring fresh = path + L".new";
  const std::string bytes = base::toUtf8(text);
  {
    const base::win32::UniqueFileHandle file(::CreateFileW(callablePath(fresh).c_str(),
                                                           GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                           FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return lastStatus(fresh);
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get())) {
      return lastStatus(fresh);
    }
  }
  if (!::MoveFileExW(callablePath(fresh).c_str(), callablePath(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return lastStatus(path);
  }
  return MoveStatus::success();
}

MoveStatus readText(const std::wstring& path, std::wstring& text) {
  // A link in a journal's place is opened itself, and reads as nothing a journal holds.
  const base::win32::UniqueFileHandle file(::CreateFileW(callablePath(path).c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return lastStatus(path);
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
    if (bytes.size() > kLongestText) return statusOf(ERROR_FILE_TOO_LARGE, path);
  }
  text = base::fromUtf8(bytes);
  return MoveStatus::success();
}

}  // namespace mirafold::win32
