#include "platform/win32/system/win32_running_programs.h"

#include <windows.h>
#include <restartmanager.h>
#include <tlhelp32.h>

#include "base/unique_resource.h"
#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

using platform::FileUsers;
using platform::RunningProcess;

struct RestartSessionPolicy {
  using type = DWORD;
  static type invalid() { return ~DWORD{0}; }
  static void close(type session) { ::RmEndSession(session); }
};
using UniqueRestartSession = base::UniqueResource<RestartSessionPolicy>;

// The plain form of an image path the system may give in its long form.
std::wstring plainPath(std::wstring path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

RunningProcess queried(DWORD id) {
  // The limited right is what a standard user is given for other users' processes too, where
  // the system lets them be asked at all.
  const base::win32::UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) {
    // A process that ended since the snapshot is no longer an identifier the system knows.
    return {id, ::GetLastError() == ERROR_INVALID_PARAMETER ? RunningProcess::Query::Ended
                                                            : RunningProcess::Query::Denied};
  }
  std::wstring image(MAX_PATH, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(image.size());
    if (::QueryFullProcessImageNameW(process.get(), 0, image.data(), &size)) {
      image.resize(size);
      return {id, RunningProcess::Query::Answered, plainPath(std::move(image))};
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || image.size() >= 32768) break;
    image.resize(image.size() * 2);
  }
  DWORD code = 0;
  const bool ended = ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
  return {id, ended ? RunningProcess::Query::Ended : RunningProcess::Query::Denied};
}

// The process the Restart Manager named is still the one it named: not ended, its identifier
// not given to another since.
bool stillRunning(const RM_UNIQUE_PROCESS& named) {
  const base::win32::UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, named.dwProcessId));
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // denied: it runs
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return true;
  DWORD code = 0;
  if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) return false;
  return ::CompareFileTime(&created, &named.ProcessStartTime) == 0;
}

}  // namespace

std::vector<RunningProcess> Win32RunningPrograms::processes() {
  std::vector<RunningProcess> found;
  const base::win32::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID != 0) found.push_back(queried(entry.th32ProcessID));
  }
  return found;
}

FileUsers Win32RunningPrograms::usersOf(const std::vector<std::wstring>& files) {
  DWORD opened = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1]{};
  if (::RmStartSession(&opened, 0, key) != ERROR_SUCCESS) return {FileUsers::Answer::NoSession, {}};
  const UniqueRestartSession session(opened);
  std::vector<LPCWSTR> names;
  for (const std::wstring& file : files) names.push_back(file.c_str());
  if (::RmRegisterResources(session.get(), static_cast<UINT>(names.size()), names.data(), 0,
                            nullptr, 0, nullptr) != ERROR_SUCCESS) {
    return {FileUsers::Answer::Failed, {}};
  }
  // The list can grow between asking its length and reading it: asked again a few times.
  std::vector<RM_PROCESS_INFO> infos;
  for (int attempt = 0; attempt < 4; ++attempt) {
    UINT needed = 0, count = static_cast<UINT>(infos.size());
    DWORD reasons = 0;
    const DWORD result = ::RmGetList(session.get(), &needed, &count,
                                     infos.empty() ? nullptr : infos.data(), &reasons);
    if (result == ERROR_MORE_DATA) {
      infos.resize(needed + 4);
      continue;
    }
    if (result != ERROR_SUCCESS) return {FileUsers::Answer::Failed, {}};
    FileUsers users;
    for (UINT i = 0; i < count && i < infos.size(); ++i) {
      const RM_PROCESS_INFO& info = infos[i];
      if (!stillRunning(info.Process)) continue;
      users.users.push_back({info.Process.dwProcessId, info.strAppName,
                             info.ApplicationType == RmService ? info.strServiceShortName : L""});
    }
    return users;
  }
  return {FileUsers::Answer::Incomplete, {}};
}

}  // namespace mirafold::win32
