#include "win32_system.h"

#include <windows.h>
#include <winioctl.h>
#include <winternl.h>

#include <string_view>

#include "base/long_path.h"
#include "base/win32/entry_reader.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "error_text.h"
#include "junction/entry_of.h"
#include "junction/exit_codes.h"
#include "junction/paths.h"
#include "junction/text.h"

namespace junction::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Status failureOf(DWORD error) { return Status::failure(error, systemMessage(error)); }
Status lastFailure() { return failureOf(::GetLastError()); }

Entry unreadable(DWORD error) {
  return Entry{EntryKind::Unreadable, {}, {}, error, systemMessage(error)};
}

// The one reading, with the system's words for what could not be read.
Entry entryRead(const mirafold::base::EntryReading& reading) {
  const Entry entry = entryOf(reading);
  return entry.kind == EntryKind::Unreadable ? unreadable(entry.error) : entry;
}

// "\\?\C:\x" -> "\??\C:\x": the name NtCreateFile takes.
std::wstring ntPath(const std::wstring& path) {
  std::wstring extended = mirafold::base::toLongPath(path);
  if (extended.rfind(L"\\\\?\\", 0) == 0 || extended.rfind(L"\\\\.\\", 0) == 0) {
    extended.replace(0, 4, L"\\??\\");
  }
  return extended;
}

// The folder holding `path`: "C:\a\b" -> "C:\a", "C:\a" -> "C:\".
std::wstring parentOf(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L'\\');
  if (last == std::wstring::npos) return path;
  return trimTrailingSeparators(path.substr(0, last + 1));
}

// Where a folder really is, every link on the way followed: Wine names an open folder by its real
// host path, in Windows form.
Status reachedPath(const std::wstring& path, std::wstring& resolved) {
  mirafold::base::win32::UniqueFileHandle file(
      ::CreateFileW(mirafold::base::toLongPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return lastFailure();
  const auto final = mirafold::base::win32::finalPathOf(file.get());
  if (!final) return lastFailure();
  resolved = *final;
  return Status::success();
}

// The entry goes when its last handle closes: nothing else can be opened by its name meanwhile.
Status deleteThrough(mirafold::base::win32::UniqueFileHandle& file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
    return lastFailure();
  }
  file.reset();
  return Status::success();
}

// A folder's reparse data set, or an existing one's replaced when the tag is the same.
Status writeReparseData(HANDLE file, const std::vector<std::uint8_t>& bytes) {
  DWORD unused = 0;
  if (!::DeviceIoControl(file, FSCTL_SET_REPARSE_POINT, const_cast<std::uint8_t*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()), nullptr, 0, &unused, nullptr)) {
    return lastFailure();
  }
  return Status::success();
}

class Win32NewFolder : public NewFolder {
 public:
  explicit Win32NewFolder(mirafold::base::win32::UniqueFileHandle file) : file_(std::move(file)) {}

  Status setReparseData(const std::vector<std::uint8_t>& bytes) override {
    return writeReparseData(file_.get(), bytes);
  }

  Status discard() override { return deleteThrough(file_); }

 private:
  mirafold::base::win32::UniqueFileHandle file_;
};

class Win32OpenLink : public OpenLink {
 public:
  explicit Win32OpenLink(mirafold::base::win32::UniqueFileHandle file) : file_(std::move(file)) {}

  Entry read() override { return entryRead(mirafold::base::win32::readEntry(file_.get())); }

  Status remove() override { return deleteThrough(file_); }

  Status setReparseData(const std::vector<std::uint8_t>& bytes) override {
    return writeReparseData(file_.get(), bytes);
  }

 private:
  mirafold::base::win32::UniqueFileHandle file_;
};

}  // namespace

Status Win32System::fullPath(const std::wstring& path, std::wstring& absolute) {
  DWORD failure = ERROR_SUCCESS;
  // Asked only for what fits the classic limit, or for a verbatim path.
  const auto system = [&failure](const std::wstring& text) -> std::wstring {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = ::GetFullPathNameW(text.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
      if (length == 0) {
        failure = ::GetLastError();
        return {};
      }
      if (length < buffer.size()) {
        buffer.resize(length);
        return buffer;
      }
      buffer.resize(length);  // too small: `length` counts the NUL as well
    }
  };
  absolute = mirafold::base::absolutePathOf(path, system);
  if (absolute.empty()) return failureOf(failure != ERROR_SUCCESS ? failure : ERROR_INVALID_NAME);
  return Status::success();
}

DriveDevice Win32System::driveDevice(wchar_t letter) {
  const wchar_t name[] = {letter, L':', L'\0'};
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  DriveDevice device;
  device.remote = ::GetDriveTypeW(root) == DRIVE_REMOTE;
  // The first of the names the letter leads to is the one the system follows.
  std::wstring targets(1024, L'\0');
  for (;;) {
    const DWORD length =
        ::QueryDosDeviceW(name, targets.data(), static_cast<DWORD>(targets.size()));
    if (length != 0) {
      device.target = targets.c_str();
      break;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || targets.size() >= 65536) break;
    targets.resize(targets.size() * 2);
  }
  return device;
}

Entry Win32System::inspect(const std::wstring& path) {
  const Entry entry = entryRead(mirafold::base::win32::readEntry(mirafold::base::toLongPath(path)));
  // Host links elsewhere (the host's /bin, a user's own) are not the stand-in's to show as
  // junctions, nor to remove.
  std::wstring hostDrive;
  if (entry.kind == EntryKind::HostLink && !insidePrefixDrive(path, hostDrive).ok) {
    return Entry{EntryKind::OtherLink, {}, {}, 0, {}};
  }
  return entry;
}

Status Win32System::listFolder(const std::wstring& path, std::vector<Child>& children) {
  WIN32_FIND_DATAW found;
  mirafold::base::win32::UniqueFindHandle search(
      ::FindFirstFileExW(joinPath(mirafold::base::toLongPath(path), L"*").c_str(), FindExInfoBasic,
                         &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? Status::success() : lastFailure();
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const mirafold::base::EntryReading listed{mirafold::base::win32::listedKind(found),
                                              found.dwFileAttributes};
    children.push_back(Child{name, entryOf(listed).kind});
  } while (::FindNextFileW(search.get(), &found));
  return ::GetLastError() == ERROR_NO_MORE_FILES ? Status::success() : lastFailure();
}

Status Win32System::createFolder(const std::wstring& path, std::unique_ptr<NewFolder>& made) {
  // One call makes the folder and opens it, failing if anything is there: the handle is on the
  // folder made, and no one else may open it until the reparse point is set.
  const std::wstring name = ntPath(path);
  UNICODE_STRING ntName;
  ::RtlInitUnicodeString(&ntName, name.c_str());
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &ntName, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status = ::NtCreateFile(
      &handle, GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE, &object, &io, nullptr,
      FILE_ATTRIBUTE_NORMAL, 0, FILE_CREATE,
      FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  if (!NT_SUCCESS(status)) return failureOf(::RtlNtStatusToDosError(status));
  made = std::make_unique<Win32NewFolder>(mirafold::base::win32::UniqueFileHandle(handle));
  return Status::success();
}

Status Win32System::resolvedPath(const std::wstring& path, std::wstring& resolved) {
  return reachedPath(path, resolved);
}

Status Win32System::openLink(const std::wstring& path, LinkAccess access,
                             std::unique_ptr<OpenLink>& opened) {
  // Setting reparse data takes the right to write the folder's data or attributes.
  const DWORD rights = access == LinkAccess::Remove
                           ? DELETE | FILE_READ_ATTRIBUTES
                           : FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES;
  mirafold::base::win32::UniqueFileHandle file(::CreateFileW(
      mirafold::base::toLongPath(path).c_str(), rights, kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return lastFailure();
  opened = std::make_unique<Win32OpenLink>(std::move(file));
  return Status::success();
}

namespace {

// $1: the link's host path, $2: the host path of the prefix's drive_c. Run as the last line of a
// host command, before it acts: the folder holding the link, every link on the way followed,
// must lie inside drive_c.
constexpr std::wstring_view kInsideDriveCheck =
    L"d=$(realpath -e -- \"$2\") && p=$(realpath -e -- \"$(dirname -- \"$1\")\") && "
    L"case \"$p/\" in \"${d%/}/\"*) true ;; *) echo \"It is outside the Wine prefix's drive_c.\"; "
    L"false ;; esac";

std::wstring guarded(std::wstring_view action) {
  return L"if " + std::wstring(kInsideDriveCheck) + L"; then " + std::wstring(action) +
         L"; else false; fi";
}

}  // namespace

Status Win32System::insidePrefixDrive(const std::wstring& link, std::wstring& hostDrive) const {
  const Status outside = Status::failure(
      exit_code::kNotSupported,
      L"it is outside the Wine prefix's drive_c: host links there are not the tool's to make or "
      L"remove.");
  if (!wine_) return outside;
  // The prefix's drive_c is the folder that holds its Windows folder.
  std::wstring windows(MAX_PATH, L'\0');
  windows.resize(::GetSystemWindowsDirectoryW(windows.data(), MAX_PATH));
  std::wstring drive;
  if (Status s = reachedPath(windows, drive); !s.ok) return s;
  drive = parentOf(drive);
  // Wine names no open folder whose path is longer than MAX_PATH: then the nearest folder above
  // that it names is checked here, and the whole path by the host command before it acts.
  std::wstring folder;
  for (std::wstring above = parentOf(link);; above = parentOf(above)) {
    const Status s = reachedPath(above, folder);
    if (s.ok) break;
    if (s.code != ERROR_MORE_DATA || parentOf(above) == above) return s;
  }
  if (folder.back() != L'\\') folder += L'\\';
  if (drive.back() != L'\\') drive += L'\\';
  if (Status s = wine_->unixPath(mirafold::base::toLongPath(drive), hostDrive); !s.ok) return s;
  const int length = static_cast<int>(drive.size());
  if (folder.size() >= drive.size() &&
      ::CompareStringOrdinal(folder.c_str(), length, drive.c_str(), length, TRUE) == CSTR_EQUAL) {
    return Status::success();
  }
  // Another drive letter may still be a folder inside drive_c (a test's mapped drive): only the
  // host can follow its links to tell.
  std::wstring hostLink;
  if (!wine_->unixPath(mirafold::base::toLongPath(link), hostLink).ok) return outside;
  if (!wine_
           ->run(std::wstring(kInsideDriveCheck), {hostLink, hostDrive}, exit_code::kNotSupported,
                 wine_->answerTimeoutMs())
           .ok) {
    return outside;
  }
  return Status::success();
}

// The maker takes a claim folder before it acts and leaves "done" in it afterwards. Taking it
// back after a timeout first tries to take the claim itself: if that succeeds the maker has not
// run and never will (it then only removes the claim); otherwise it waits for "done".
class HostClaim {
 public:
  explicit HostClaim(const HostShell& wine) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    path_ = std::wstring(temp) + L"jct-claim-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64());
    if (!wine.unixPath(mirafold::base::toLongPath(path_), hostPath_).ok) hostPath_.clear();
  }
  bool ready() const { return !hostPath_.empty(); }
  const std::wstring& hostPath() const { return hostPath_; }
  // Once the maker has answered, its claim is of no more use.
  void release() const {
    ::DeleteFileW(mirafold::base::toLongPath(path_ + L"\\done").c_str());
    ::RemoveDirectoryW(mirafold::base::toLongPath(path_).c_str());
  }

 private:
  std::wstring path_;
  std::wstring hostPath_;
};

Status Win32System::hostPathsOf(const std::wstring& link, const std::wstring& target,
                                std::wstring& hostDrive, std::wstring& hostLink,
                                std::wstring& hostTarget) const {
  if (Status s = insidePrefixDrive(link, hostDrive); !s.ok) return s;
  if (Status s = wine_->unixPath(mirafold::base::toLongPath(link), hostLink); !s.ok) return s;
  return wine_->unixPath(mirafold::base::toLongPath(target), hostTarget);
}

Status Win32System::makeHostLink(const std::wstring& link, const std::wstring& target) {
  std::wstring hostDrive, hostLink, hostTarget;
  if (Status s = hostPathsOf(link, target, hostDrive, hostLink, hostTarget); !s.ok) return s;
  const HostClaim claim(*wine_);
  if (!claim.ready()) {
    return Status::failure(exit_code::kCannotMake,
                           L"Wine gives no host path for a temporary name.");
  }
  // -T: never make the link inside an existing folder of that name; without -f ln never replaces.
  Status made =
      wine_->run(L"if mkdir -- \"$4\" 2>/dev/null; then " + guarded(L"ln -sT -- \"$3\" \"$1\"") +
                     L"; s=$?; : >\"$4/done\"; [ $s -eq 0 ]; else rmdir -- \"$4\"; false; fi",
                 {hostLink, hostDrive, hostTarget, claim.hostPath()}, exit_code::kCannotMake,
                 wine_->makeTimeoutMs());
  const bool answered = made.ok || made.code != exit_code::kTimeout;
  if (answered) claim.release();
  if (!made.ok && answered) return made;  // ln made nothing
  if (made.ok) {
    // Our own check: the link is there, and leads where it should.
    const Entry entry = inspect(link);
    std::wstring expected;
    const bool right = entry.kind == EntryKind::HostLink && reachedPath(target, expected).ok &&
                       equalsIgnoringAsciiCase(entry.target, expected);
    if (right) return made;
    made = Status::failure(exit_code::kCannotMake,
                           L"The host symbolic link did not appear as it should.");
  }
  // What was made goes again: only a symbolic link that leads to the target, never anything else.
  const Status undone = wine_->run(
      L"if mkdir -- \"$3\" 2>/dev/null; then :; else "
      L"i=0; while [ ! -e \"$3/done\" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done; "
      L"if [ -L \"$1\" ] && [ \"$(readlink -- \"$1\")\" = \"$2\" ]; then rm -f -- \"$1\"; fi; "
      L"rm -f -- \"$3/done\"; rmdir -- \"$3\" 2>/dev/null; [ ! -L \"$1\" ]; fi",
      {hostLink, hostTarget, claim.hostPath()}, exit_code::kCannotMake,
      wine_->answerTimeoutMs() + 2000);
  if (!undone.ok) {
    made.reason += L" What it made could not be removed again: " + undone.reason;
  }
  return made;
}

Status Win32System::removeHostLink(const std::wstring& link) {
  std::wstring hostDrive;
  if (Status s = insidePrefixDrive(link, hostDrive); !s.ok) return s;
  std::wstring hostLink;
  if (Status s = wine_->unixPath(mirafold::base::toLongPath(link), hostLink); !s.ok) return s;
  // Checked again on the host side: rm removes only the link itself, never what it points to.
  Status status = wine_->run(
      guarded(L"if [ -L \"$1\" ]; then rm -f -- \"$1\"; else echo \"It is no symbolic link.\"; "
              L"false; fi"),
      {hostLink, hostDrive}, ERROR_ACCESS_DENIED, wine_->answerTimeoutMs());
  if (!status.ok) return status;
  if (inspect(link).kind != EntryKind::Missing) {
    return Status::failure(ERROR_ACCESS_DENIED, L"The host symbolic link is still there.");
  }
  return Status::success();
}

namespace {

// $1: the link's host path, $2: drive_c's, $3: the new target's, $4: the claim folder. The new
// link is made beside the old under a name of this shell's own, then renamed over it: rename(2)
// replaces a symbolic link in one step. -T: never into the folder the old link leads to. A host
// refusal is told as access denied, as removing a host link tells it.
constexpr std::wstring_view kReplaceOnHost =
    L"if [ -L \"$1\" ] && [ -d \"$1\" ]; then "
    L"t=\"$(dirname -- \"$1\")/.$(basename -- \"$1\").junction-$$\"; "
    L"ln -sT -- \"$3\" \"$t\" && { mv -Tf -- \"$t\" \"$1\" || { rm -f -- \"$t\"; false; }; }; "
    L"else echo \"It is no symbolic link to a folder.\"; false; fi";

}  // namespace

Status Win32System::replaceHostLink(const std::wstring& link, const std::wstring& target) {
  std::wstring hostDrive, hostLink, hostTarget;
  if (Status s = hostPathsOf(link, target, hostDrive, hostLink, hostTarget); !s.ok) return s;
  const HostClaim claim(*wine_);
  if (!claim.ready()) {
    return Status::failure(exit_code::kCannotMake,
                           L"Wine gives no host path for a temporary name.");
  }
  std::wstring expected;
  if (Status s = reachedPath(target, expected); !s.ok) return s;
  const auto leadsToTarget = [&] {
    const Entry entry = inspect(link);
    return entry.kind == EntryKind::HostLink && equalsIgnoringAsciiCase(entry.target, expected);
  };
  Status replaced =
      wine_->run(L"if mkdir -- \"$4\" 2>/dev/null; then " + guarded(kReplaceOnHost) +
                     L"; s=$?; : >\"$4/done\"; [ $s -eq 0 ]; else rmdir -- \"$4\"; false; fi",
                 {hostLink, hostDrive, hostTarget, claim.hostPath()}, ERROR_ACCESS_DENIED,
                 wine_->makeTimeoutMs());
  if (replaced.ok || replaced.code != exit_code::kTimeout) {
    claim.release();
    if (!replaced.ok) return replaced;  // the old link stands: ln or mv did nothing
    if (leadsToTarget()) return replaced;
    return Status::failure(exit_code::kCannotMake,
                           L"The host symbolic link did not lead to the new target afterwards.");
  }
  // No answer in time: the claim taken here means the command never runs (it then only removes
  // the claim); else it has run, or runs now, and what stands afterwards tells.
  const Status settled = wine_->run(
      L"if mkdir -- \"$1\" 2>/dev/null; then echo \"The host command did not run.\"; false; else "
      L"i=0; while [ ! -e \"$1/done\" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done; "
      L"rm -f -- \"$1/done\"; rmdir -- \"$1\" 2>/dev/null; true; fi",
      {claim.hostPath()}, exit_code::kTimeout, wine_->answerTimeoutMs() + 2000);
  if (!settled.ok) return settled;  // the old link stands, unless the host hangs on
  if (leadsToTarget()) return Status::success();
  return Status::failure(exit_code::kTimeout,
                         L"The host shell did not answer in time; the old link stands.");
}

}  // namespace junction::win32
