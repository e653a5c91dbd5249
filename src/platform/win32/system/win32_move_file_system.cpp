#include "platform/win32/system/win32_move_file_system.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

#include "base/long_path.h"
#include "base/reparse_data.h"
#include "base/win32/entry_reader.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "base/win32/nt_files.h"
#include "platform/entry_reading.h"
#include "platform/win32/system/copy_fidelity.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/entry_security.h"
#include "platform/win32/system/file_copy.h"
#include "platform/win32/system/file_in_use.h"
#include "platform/win32/system/flush_pool.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/handle_entries.h"
#include "platform/win32/system/known_folders.h"
#include "platform/win32/system/link_copy.h"
#include "platform/win32/system/network_volume.h"
#include "platform/win32/system/private_folder.h"
#include "platform/win32/system/privileges.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;
using platform::EntryKind;
using platform::MoveStatus;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::uint64_t ticksOf(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

platform::EntryInfo infoOf(const WIN32_FIND_DATAW& found) {
  return listedInfo(found.dwFileAttributes,
                    (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? found.dwReserved0 : 0,
                    (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                    ticksOf(found.ftCreationTime), ticksOf(found.ftLastWriteTime));
}

// Wine answers a search for a name that just went away with "no more files".
bool isMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

base::win32::UniqueFileHandle openByPath(const std::wstring& path, DWORD access, bool followLink) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return base::win32::UniqueFileHandle(::CreateFileW(callablePath(path).c_str(), access, kShareAll,
                                                     nullptr, OPEN_EXISTING, flags, nullptr));
}

std::wstring parentOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut == 2 ? 3 : cut);
}

std::wstring nameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// `text` with its %1 filled in.
std::wstring fillIn(std::wstring text, const std::wstring& path) {
  if (const std::size_t blank = text.find(L"%1"); blank != std::wstring::npos) {
    text.replace(blank, 2, path);
  }
  return text;
}

// A copy this seam is making: deleted through its handle unless kept, so that a failed,
// cancelled or abandoned copy leaves nothing.
class NewCopy {
 public:
  explicit NewCopy(base::win32::UniqueFileHandle& file) : file_(file) {}
  NewCopy(const NewCopy&) = delete;
  NewCopy& operator=(const NewCopy&) = delete;
  ~NewCopy() {
    if (file_ && !kept_) deleteThrough(file_.get());
  }
  void keep() { kept_ = true; }

 private:
  base::win32::UniqueFileHandle& file_;
  bool kept_ = false;
};

// `source`'s bytes, streams and compression given to `copy`, both open: what the destination's
// volume can keep of them.
DWORD fillCopy(HANDLE source, HANDLE copy, DWORD keeps, DWORD attributes, std::uint64_t size,
               const platform::CopyProgress& progress) {
  // Before the data: compressed as it is written, not rewritten afterwards.
  if ((attributes & FILE_ATTRIBUTE_COMPRESSED) && (keeps & FILE_FILE_COMPRESSION)) {
    if (const DWORD error = compress(copy); error) return error;
  }
  // A sparse file copied whole would take its full length on the destination.
  const bool sparse =
      (attributes & FILE_ATTRIBUTE_SPARSE_FILE) && (keeps & FILE_SUPPORTS_SPARSE_FILES);
  if (const DWORD error = copyContents(source, copy, size, sparse, progress); error) return error;
  return (keeps & FILE_NAMED_STREAMS) ? copyNamedStreams(source, copy) : ERROR_SUCCESS;
}

// Read-only entries refuse deletion: tried as they are first (most are not read-only), then
// again with the attribute cleared.
template <typename Remove>
MoveStatus removeEvenReadOnly(const std::wstring& path, Remove remove) {
  const std::wstring callable = callablePath(path);
  if (remove(callable.c_str())) return MoveStatus::success();
  DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) &&
      ::SetFileAttributesW(callable.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    if (remove(callable.c_str())) return MoveStatus::success();
    error = ::GetLastError();
    ::SetFileAttributesW(callable.c_str(), attributes);
  }
  return statusOf(error, path);
}

}  // namespace

Win32MoveFileSystem::Win32MoveFileSystem(LinkCommands links, MoveFileSystemTexts texts)
    : links_(std::move(links)), texts_(std::move(texts)) {}

MoveStatus Win32MoveFileSystem::inspect(const std::wstring& path, platform::EntryInfo& info) {
  const auto quiet = base::win32::quietErrorMode();
  info = {};
  if (held_.holds(path)) return inspectHeld(path, info);
  WIN32_FIND_DATAW found{};
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      callablePath(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) {
    const DWORD error = ::GetLastError();
    // A drive root has no entry of its own to find.
    WIN32_FILE_ATTRIBUTE_DATA root{};
    if (::GetFileAttributesExW(callablePath(path).c_str(), GetFileExInfoStandard, &root) &&
        (root.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      info.kind = EntryKind::Folder;
      info.attributes = root.dwFileAttributes;
      return MoveStatus::success();
    }
    return isMissing(error) ? MoveStatus::success() : statusOf(error, path);
  }
  info = infoOf(found);
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::inspectHeld(const std::wstring& path, platform::EntryInfo& info) {
  HeldFolders::Place where;
  if (const DWORD error = held_.place(path, where)) {
    return isMissing(error) ? MoveStatus::success() : statusOf(error, held_.refusedPath());
  }
  if (where.name.empty()) {
    // The held folder itself.
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(where.folder, FileBasicInfo, &basic, sizeof basic)) {
      return lastStatus(path);
    }
    info = listedInfo(basic.FileAttributes, 0, 0, basic.CreationTime.QuadPart,
                      basic.LastWriteTime.QuadPart);
    return MoveStatus::success();
  }
  // A handle of its own: a search for one name binds its handle to that name.
  base::win32::UniqueFileHandle folder;
  const nt::NtStatus opened = nt::openInside(where.folder, {}, FILE_LIST_DIRECTORY, kShareAll,
                                             nt::kOpenExisting, nt::kFolderOnly, folder);
  if (opened < 0) return statusOf(nt::errorOf(opened), path);
  const DWORD error = findThrough(folder.get(), where.name, info);
  return error ? statusOf(error, path) : MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::list(const std::wstring& folder,
                                     std::vector<platform::FolderEntry>& entries) {
  const auto quiet = base::win32::quietErrorMode();
  entries.clear();
  if (held_.holds(folder)) {
    // Through the handle that later calls reach its entries from: the folder listed is the one
    // acted on.
    HANDLE handle = nullptr;
    if (const DWORD error = held_.reachFolder(folder, handle)) {
      return statusOf(error, held_.refusedPath());
    }
    const DWORD error = listThrough(handle, entries);
    return error ? statusOf(error, folder) : MoveStatus::success();
  }
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = callablePath(folder) + L"\\*";
  const base::win32::UniqueFindHandle search(
      ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH));
  if (!search) return lastStatus(folder);
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({name, infoOf(found)});
  } while (::FindNextFileW(search.get(), &found));
  return ::GetLastError() == ERROR_NO_MORE_FILES ? MoveStatus::success() : lastStatus(folder);
}

DWORD Win32MoveFileSystem::renameThroughHandles(const std::wstring& from, const std::wstring& to) {
  // Folders kept below it would stop it (and would name where it was).
  held_.forget(from);
  const base::win32::UniqueFileHandle entry = openEntry(from, DELETE | FILE_READ_ATTRIBUTES, false);
  if (!entry) return ::GetLastError();
  if (held_.holds(to)) {
    HeldFolders::Place where;
    if (const DWORD error = held_.place(to, where)) return error;
    if (where.name.empty()) return ERROR_ALREADY_EXISTS;
    return renameThrough(entry.get(), where.folder, where.name);
  }
  const base::win32::UniqueFileHandle folder = openByPath(parentOf(to), FILE_TRAVERSE, true);
  if (!folder) return ::GetLastError();
  return renameThrough(entry.get(), folder.get(), nameOf(to));
}

MoveStatus Win32MoveFileSystem::listInside(const platform::HeldFolder* parent,
                                           const std::wstring& name,
                                           std::unique_ptr<platform::HeldFolder>& held,
                                           std::vector<platform::FolderEntry>& entries) {
  return walkListing_.listInside(parent, name, held, entries);
}

MoveStatus Win32MoveFileSystem::rename(const std::wstring& from, const std::wstring& to) {
  // No copy between volumes and no replacing: the engine decides both.
  DWORD error = 0;
  if (held_.holds(from) || held_.holds(to)) {
    error = renameThroughHandles(from, to);
  } else if (!::MoveFileExW(callablePath(from).c_str(), callablePath(to).c_str(),
                            MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (!error) return MoveStatus::success();
  if (error == nt::kErrorLinkOnTheWay) return statusOf(error, held_.refusedPath());
  // A folder that will not move because of a file open inside it says access denied, and not
  // which file: that is looked for. With none found, the permissions decide: only a refusal they
  // explain is a want of rights (a parent folder the user may not change, as C:\Program Files);
  // another is something holding the folder that could not be named.
  if (error == ERROR_SHARING_VIOLATION) {
    return {MoveStatus::Code::InUse, statusOf(error, from).reason, firstFileInUse(from)};
  }
  if (error == ERROR_ACCESS_DENIED) {
    if (std::wstring held = firstFileInUse(from); !held.empty()) {
      return {MoveStatus::Code::InUse, statusOf(error, from).reason, std::move(held)};
    }
    if (permissionsAllowRename(from, to)) {
      return {MoveStatus::Code::InUse, statusOf(error, from).reason, {}};
    }
  }
  return statusOf(error, from);
}

MoveStatus Win32MoveFileSystem::createFolder(const std::wstring& path) {
  if (held_.holds(path)) {
    const DWORD error = held_.createFolder(path, nullptr);
    return error ? statusOf(error, held_.refusedPath()) : MoveStatus::success();
  }
  return ::CreateDirectoryW(callablePath(path).c_str(), nullptr) ? MoveStatus::success()
                                                                 : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::createPrivateFolder(const std::wstring& path) {
  const auto security = privateFolderSecurity();
  if (!security) return lastStatus(path);
  if (held_.holds(path)) {
    const DWORD error = held_.createFolder(path, security.get());
    return error ? statusOf(error, held_.refusedPath()) : MoveStatus::success();
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, security.get(), FALSE};
  return ::CreateDirectoryW(callablePath(path).c_str(), &attributes) ? MoveStatus::success()
                                                                     : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::openSource(const std::wstring& from,
                                           base::win32::UniqueFileHandle& source,
                                           FILE_BASIC_INFO& basic) {
  // Shared with readers only, as CopyFileExW opens it: a file another program writes is in use.
  const auto open = [&](bool followLink) {
    if (!held_.holds(from)) {
      const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN |
                          (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
      source = base::win32::UniqueFileHandle(::CreateFileW(callablePath(from).c_str(), GENERIC_READ,
                                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                           flags, nullptr));
      return source ? MoveStatus::success() : lastStatus(from);
    }
    const DWORD error =
        held_.open(from, GENERIC_READ, nt::kFileOnly, followLink, source, FILE_SHARE_READ);
    return error ? statusOf(error, held_.refusedPath()) : MoveStatus::success();
  };
  if (MoveStatus st = open(false); !st.ok()) return st;
  if (!basicInfoOf(source.get(), basic)) return lastStatus(from);
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return MoveStatus::success();
  // The file became a link since it was listed: not followed.
  if (isLinkItself(source.get())) return statusOf(nt::kErrorLinkOnTheWay, from);
  // Another reparse point (a deduplicated file, one Windows compressed) keeps its data behind it:
  // read through it, and only if what opens so is the very file.
  base::win32::UniqueFileHandle itself = std::move(source);
  if (MoveStatus st = open(true); !st.ok()) return st;
  const auto index = nt::indexOf(itself.get());
  if (!sameEntry(itself.get(), source.get())
           .value_or(index && index == nt::indexOf(source.get()))) {
    source.reset();
    return statusOf(nt::kErrorLinkOnTheWay, from);
  }
  return basicInfoOf(source.get(), basic) ? MoveStatus::success() : lastStatus(from);
}

MoveStatus Win32MoveFileSystem::createEntry(const std::wstring& path, DWORD access, ULONG share,
                                            ULONG options, base::win32::UniqueFileHandle& made,
                                            DWORD attributes) {
  if (held_.holds(path)) {
    const DWORD error = held_.create(path, access, share, options, made, attributes);
    return error ? statusOf(error, held_.refusedPath()) : MoveStatus::success();
  }
  const std::wstring callable = callablePath(path);
  if (options & nt::kFolderOnly) {
    if (!::CreateDirectoryW(callable.c_str(), nullptr)) return lastStatus(path);
    made = openByPath(path, access, false);
  } else {
    made = base::win32::UniqueFileHandle(
        ::CreateFileW(callable.c_str(), access, share, nullptr, CREATE_NEW, attributes, nullptr));
  }
  return made ? MoveStatus::success() : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::copyFile(const std::wstring& from, const std::wstring& to,
                                         const platform::CopyProgress& progress) {
  made_.reset();
  base::win32::UniqueFileHandle source;
  FILE_BASIC_INFO original{};
  if (MoveStatus st = openSource(from, source, original); !st.ok()) return st;
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(source.get(), FileStandardInfo, &standard, sizeof standard)) {
    return lastStatus(from);
  }
  // Every right its finishing needs, asked at its making: the copy is opened once for its data,
  // times, permissions and flush. (WRITE_OWNER, for a label or another owner, only where granted.)
  constexpr ULONG kShare = FILE_SHARE_READ | FILE_SHARE_DELETE;
  DWORD access = GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER;
  // An encrypted file is made encrypted (with the mover's key, as CopyFileExW would): its bytes
  // never stand in the clear on the destination.
  const DWORD born = (original.FileAttributes & FILE_ATTRIBUTE_ENCRYPTED) | FILE_ATTRIBUTE_NORMAL;
  base::win32::UniqueFileHandle copy;
  MoveStatus made = createEntry(to, access, kShare, nt::kFileOnly, copy, born);
  if (made.code == MoveStatus::Code::NoRights) {
    access &= ~DWORD{WRITE_OWNER};
    made = createEntry(to, access, kShare, nt::kFileOnly, copy, born);
  }
  if (!made.ok()) return made;
  NewCopy fresh(copy);
  // Every copy of a move goes to one volume: asked once.
  if (!copyVolumeFlags_) copyVolumeFlags_ = volumeFlagsOf(copy.get());
  const DWORD error = fillCopy(source.get(), copy.get(), *copyVolumeFlags_, original.FileAttributes,
                               static_cast<std::uint64_t>(standard.EndOfFile.QuadPart), progress);
  if (error == ERROR_CANCELLED) return MoveStatus::cancelled();
  if (error) return statusOf(error, error == ERROR_SHARING_VIOLATION ? from : to);
  fresh.keep();
  made_ = OpenCopy{to, std::move(source), original, std::move(copy), access};
  return MoveStatus::success();
}

namespace {

// A copy's times, attributes and permissions given through its own handle, then its flush: the
// work a finishing worker does, one opening of the copy for all of it.
MoveStatus finishOpenCopy(HANDLE source, const FILE_BASIC_INFO& original, HANDLE copy, DWORD access,
                          const platform::EntryTimes& times, bool withSecurity,
                          const std::wstring& from, const std::wstring& to,
                          const std::atomic_bool& abandoned) {
  EntrySecurity security;
  if (withSecurity) {
    if (MoveStatus st = security.read(source, from, false); !st.ok()) return st;
    if (security.accessNeeded() & ~access) return statusOf(ERROR_ACCESS_DENIED, to);
  }
  // Times and attributes before permissions: the access was granted at the making, and
  // permissions that no longer let this process write the copy stop nothing after them.
  FILE_BASIC_INFO given{};
  given.CreationTime.QuadPart = static_cast<LONGLONG>(times.creation);
  given.LastWriteTime.QuadPart = static_cast<LONGLONG>(times.lastWrite);
  const DWORD attributes = original.FileAttributes & kSettableAttributes;
  given.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileInformationByHandle(copy, FileBasicInfo, &given, sizeof given)) {
    return lastStatus(to);
  }
  if (withSecurity) {
    if (MoveStatus st = security.apply(copy, to); !st.ok()) return st;
  }
  // An abandoned copy is about to be deleted: its flush would only hold up the cancel.
  if (abandoned) return MoveStatus::cancelled();
  return ::FlushFileBuffers(copy) ? MoveStatus::success() : lastStatus(to);
}

}  // namespace

MoveStatus Win32MoveFileSystem::finishCopy(const std::wstring& from, const std::wstring& to,
                                           const platform::EntryTimes& times, bool withSecurity,
                                           const platform::StillWaiting& waiting) {
  // The copy copyFile has just made, still open: nothing reaches it by its name again.
  if (!made_ || made_->to != to) return statusOf(ERROR_INVALID_HANDLE, to);
  if (!finishing_) finishing_ = std::make_unique<FlushPool>(flushWorkersFor(made_->copy.get()));
  // Finished and flushed with others in flight, its handles closed by the worker, their last
  // owner; a failure is told by a later finishCopy or by settleCopies(), which waits for all.
  FlushPool::Finishing finishing = [made = std::make_shared<OpenCopy>(std::move(*made_)), from,
                                    times, withSecurity](const std::atomic_bool& abandoned) {
    return finishOpenCopy(made->source.get(), made->original, made->copy.get(), made->access, times,
                          withSecurity, from, made->to, abandoned);
  };
  made_.reset();
  return finishing_->hand(std::move(finishing), waiting);
}

MoveStatus Win32MoveFileSystem::settleCopies(const platform::StillWaiting& waiting) {
  made_.reset();
  return finishing_ ? finishing_->settle(waiting) : MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::nameCount(const std::wstring& file, std::uint32_t& names) {
  const base::win32::UniqueFileHandle entry = openEntry(file, FILE_READ_ATTRIBUTES, false);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry || !::GetFileInformationByHandle(entry.get(), &info)) return lastStatus(file);
  names = info.nNumberOfLinks;
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::copySecurity(const std::wstring& from, const std::wstring& to,
                                             bool asRoot) {
  if (MoveStatus st = reachFolders({&from, &to}); !st.ok()) return st;
  FILE_BASIC_INFO original{};
  EntrySecurity security;
  {
    const base::win32::UniqueFileHandle source =
        openEntry(from, FILE_READ_ATTRIBUTES | READ_CONTROL, false);
    if (!source || !basicInfoOf(source.get(), original)) return lastStatus(from);
    if (MoveStatus st = security.read(source.get(), from, asRoot); !st.ok()) return st;
  }
  // A folder's compression, the one attribute setAttributes cannot give, comes along here: what
  // is made in the folder later is compressed as in the original.
  const bool compressed = original.FileAttributes & FILE_ATTRIBUTE_COMPRESSED;
  const base::win32::UniqueFileHandle copy = openEntry(
      to, security.accessNeeded() | (compressed ? FILE_READ_DATA | FILE_WRITE_DATA : 0), false);
  if (!copy) return lastStatus(to);
  if (compressed && (volumeFlagsOf(copy.get()) & FILE_FILE_COMPRESSION)) {
    if (const DWORD error = compress(copy.get()); error) return statusOf(error, to);
  }
  return security.apply(copy.get(), to);
}

MoveStatus Win32MoveFileSystem::setAttributes(const std::wstring& path, std::uint32_t attributes) {
  if (held_.holds(path)) {
    base::win32::UniqueFileHandle entry;
    if (MoveStatus st = reachEntry(path, FILE_WRITE_ATTRIBUTES, 0, entry); !st.ok()) return st;
    const DWORD error = setAttributesThrough(entry.get(), attributes);
    return error ? statusOf(error, path) : MoveStatus::success();
  }
  const DWORD value = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileAttributesW(callablePath(path).c_str(), value) ? MoveStatus::success()
                                                                 : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::setTimes(const std::wstring& path,
                                         const platform::EntryTimes& times) {
  base::win32::UniqueFileHandle entry;
  if (MoveStatus st = reachEntry(path, FILE_WRITE_ATTRIBUTES, 0, entry); !st.ok()) return st;
  const FILETIME creation = fileTimeOf(times.creation);
  const FILETIME lastWrite = fileTimeOf(times.lastWrite);
  return ::SetFileTime(entry.get(), &creation, nullptr, &lastWrite) ? MoveStatus::success()
                                                                    : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::measureTimeStep(const std::wstring& folder, std::uint64_t& step) {
  base::win32::UniqueFileHandle entry;
  if (MoveStatus st =
          reachEntry(folder, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, nt::kFolderOnly, entry);
      !st.ok()) {
    return st;
  }
  FILETIME creation{}, access{}, lastWrite{};
  if (!::GetFileTime(entry.get(), &creation, &access, &lastWrite)) return lastStatus(folder);
  // One tick short of an even second: a volume that cuts times to 10 ms, 1 s or 2 s cuts the most
  // off this one. (One that rounds FAT's way is known by its name instead.)
  constexpr std::uint64_t kEvenSecond = 20'000'000;
  const std::uint64_t probe = (ticksOf(lastWrite) / kEvenSecond + 1) * kEvenSecond - 1;
  const FILETIME probeTime = fileTimeOf(probe);
  if (!::SetFileTime(entry.get(), nullptr, nullptr, &probeTime)) return lastStatus(folder);
  // Read back through an opening of its own, as the volume keeps it.
  FILETIME kept{};
  const base::win32::UniqueFileHandle again = openEntry(folder, FILE_READ_ATTRIBUTES, false);
  const bool read = again && ::GetFileTime(again.get(), nullptr, nullptr, &kept);
  const DWORD error = ::GetLastError();
  if (!::SetFileTime(entry.get(), &creation, &access, &lastWrite)) return lastStatus(folder);
  if (!read) return statusOf(error, folder);
  const std::uint64_t back = ticksOf(kept);
  step = (back > probe ? back - probe : probe - back) + 1;
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::refuseVolumeMountPoint(const std::wstring& path) const {
  return MoveStatus::failure(fillIn(texts_.volumeMountPoint, path));
}

MoveStatus Win32MoveFileSystem::readLink(const std::wstring& link, std::wstring& target) {
  const base::EntryReading reading = readingOf(link);
  if (reading.kind == base::EntryKind::Unreadable) return statusOf(reading.error, link);
  // A volume's mount point leads to no folder the move or the link commands may take.
  if (reading.kind == base::EntryKind::VolumeMountPoint) return refuseVolumeMountPoint(link);
  if (!reading.target.empty()) {
    target = reading.target;
    return MoveStatus::success();
  }
  // Another vendor's name surrogate: where the system gets to through it.
  return resolvedTarget(link, target);
}

MoveStatus Win32MoveFileSystem::copyLink(const std::wstring& from, const std::wstring& to) {
  return copyLinkAs(from, to, {});
}

MoveStatus Win32MoveFileSystem::copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                                  const std::wstring& target) {
  return copyLinkAs(from, to, target);
}

// `from` made again at `to`, from its own bytes, or leading to `target` instead where one is given.
MoveStatus Win32MoveFileSystem::copyLinkAs(const std::wstring& from, const std::wstring& to,
                                           const std::wstring& target) {
  if (MoveStatus st = reachFolders({&from, &to}); !st.ok()) return st;
  const base::EntryReading reading = readingOf(from);
  switch (reading.kind) {
    case base::EntryKind::Unreadable:
      return statusOf(reading.error, from);
    case base::EntryKind::VolumeMountPoint:
      // A second mount of the volume, made behind its mount manager's back, is no copy of it.
      return refuseVolumeMountPoint(from);
    case base::EntryKind::HostLink:
      // Wine's host links hold no reparse data: a link to where this one leads.
      return makeLink(to, target.empty() ? reading.target : target);
    default:
      break;
  }
  // Its own bytes, so that it leads where it led in the form it had: a relative symbolic link
  // stays relative, a "\??\Volume{...}\x" target stays one. Then its own times, attributes and
  // permissions, as any copied entry.
  LinkOriginal original;
  {
    const base::win32::UniqueFileHandle source =
        openEntry(from, FILE_READ_ATTRIBUTES | READ_CONTROL, false);
    if (!source || !basicInfoOf(source.get(), original.basic)) return lastStatus(from);
    if (const DWORD error = base::win32::readReparseData(source.get(), original.data); error) {
      return statusOf(error, from);
    }
    original.withSecurity = volumeFlagsOf(source.get()) & FILE_PERSISTENT_ACLS;
    if (original.withSecurity) {
      if (MoveStatus st = original.security.read(source.get(), from, false); !st.ok()) return st;
    }
  }
  if (!target.empty()) {
    const auto bytes =
        base::buildSymbolicLinkData({base::substituteNameFor(target), target, /*relative=*/false});
    if (!bytes) return statusOf(ERROR_FILENAME_EXCED_RANGE, to);
    original.data = *bytes;
  }
  const DWORD access =
      FILE_WRITE_ATTRIBUTES | (original.withSecurity ? original.security.accessNeeded() : 0);
  base::win32::UniqueFileHandle link;
  const EntryMaker make = [&](ULONG options, DWORD wanted, base::win32::UniqueFileHandle& made) {
    return createEntry(to, wanted, kShareAll, options, made);
  };
  if (MoveStatus made = makeLinkFromBytes(to, original, make, access, link); !made.ok()) {
    return made;
  }
  if (!link) link = openEntry(to, access, false);
  FILE_BASIC_INFO given{};
  given.CreationTime = original.basic.CreationTime;
  given.LastWriteTime = original.basic.LastWriteTime;
  given.FileAttributes = original.basic.FileAttributes & kSettableAttributes;
  if (!link || !::SetFileInformationByHandle(link.get(), FileBasicInfo, &given, sizeof given)) {
    return lastStatus(to);
  }
  return original.withSecurity ? original.security.apply(link.get(), to) : MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::canMakeSymbolicLinks(bool& can) {
  // Held, even if not switched on: CreateSymbolicLinkW switches it on for its call.
  HANDLE opened = nullptr;
  can = false;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
    const base::win32::UniqueKernelHandle token(opened);
    can = tokenHolds(token.get(), SE_CREATE_SYMBOLIC_LINK_NAME);
  }
  can = can || developerModeAllowsLinks();
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::makeLink(const std::wstring& link, const std::wstring& target) {
  if (!links_.make) return MoveStatus::failure(texts_.noJunctionTool);
  return links_.make(link, target);
}

MoveStatus Win32MoveFileSystem::removeLink(const std::wstring& link) {
  if (held_.holds(link)) {
    const base::EntryReading reading = readingOf(link);
    if (reading.kind == base::EntryKind::Unreadable) return statusOf(reading.error, link);
    if (platform::moveKindOf(reading.kind, reading.attributes) != EntryKind::Link) {
      return MoveStatus::failure(fillIn(texts_.notALink, link));
    }
    if (reading.kind == base::EntryKind::VolumeMountPoint) return refuseVolumeMountPoint(link);
    if (reading.kind == base::EntryKind::HostLink) {
      if (!links_.remove) return MoveStatus::failure(texts_.noJunctionTool);
      return links_.remove(link);
    }
    // The link itself, deleted through its handle: what it leads to is never entered.
    return deleteHeld(link, 0);
  }
  // A junction or folder symbolic link goes with RemoveDirectoryW, which never enters it; only
  // Wine's host links need the tool.
  WIN32_FIND_DATAW found{};
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      callablePath(link).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) return lastStatus(link);
  const base::EntryKind kind = base::win32::listedKind(found);
  if (platform::moveKindOf(kind, found.dwFileAttributes) != EntryKind::Link) {
    return MoveStatus::failure(fillIn(texts_.notALink, link));
  }
  if (kind == base::EntryKind::HostLink) {
    if (!links_.remove) return MoveStatus::failure(texts_.noJunctionTool);
    return links_.remove(link);
  }
  // A listing tells a volume's mount point from a junction only by its bytes.
  if (kind == base::EntryKind::Junction &&
      readingOf(link).kind == base::EntryKind::VolumeMountPoint) {
    return refuseVolumeMountPoint(link);
  }
  return ::RemoveDirectoryW(callablePath(link).c_str()) ? MoveStatus::success() : lastStatus(link);
}

MoveStatus Win32MoveFileSystem::flushLink(const std::wstring& link) {
  // Wine's host links are the host's to keep: no Windows handle reaches one itself.
  if (readingOf(link).kind == base::EntryKind::HostLink) return MoveStatus::success();
  // Flushing the link itself, opened without following it, writes NTFS's log up to its making.
  const base::win32::UniqueFileHandle opened = openEntry(link, GENERIC_WRITE, false);
  if (!opened) return lastStatus(link);
  if (::FlushFileBuffers(opened.get())) return MoveStatus::success();
  return flushVolumeInstead(::GetLastError(), link);
}

MoveStatus Win32MoveFileSystem::flushRename(const std::wstring& path) {
  // A rename changes the index of the folder that holds the entry: that folder, flushed, writes
  // NTFS's log up to it.
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut < 2) return MoveStatus::success();
  const std::wstring folder = path.substr(0, cut == 2 ? 3 : cut);  // "C:\\" for a root's entry
  base::win32::UniqueFileHandle opened = openEntry(folder, GENERIC_WRITE, false);
  // A user may rename within a folder they may not write to (C:\ gives users folders of their own
  // only): the entry renamed carries the rename in its own record, and its flush does as well.
  if (!opened && ::GetLastError() == ERROR_ACCESS_DENIED) {
    opened = openEntry(path, GENERIC_WRITE, false);
  }
  if (!opened) return lastStatus(folder);
  if (::FlushFileBuffers(opened.get())) return MoveStatus::success();
  return flushVolumeInstead(::GetLastError(), folder);
}

MoveStatus Win32MoveFileSystem::flushVolumeInstead(DWORD refused, const std::wstring& path) {
  // Where the system flushes no folder, the whole volume's flush would do, which only
  // administrators may ask for (the elevated helper can).
  const std::wstring volume = L"\\\\.\\" + path.substr(0, 2);
  const base::win32::UniqueFileHandle whole(::CreateFileW(volume.c_str(), GENERIC_WRITE,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                          nullptr, OPEN_EXISTING, 0, nullptr));
  if (whole && ::FlushFileBuffers(whole.get())) return MoveStatus::success();
  return statusOf(refused, path);
}

MoveStatus Win32MoveFileSystem::sameFolder(const std::wstring& a, const std::wstring& b,
                                           bool& same) {
  same = false;
  const base::win32::UniqueFileHandle first = openEntry(a, FILE_READ_ATTRIBUTES, true);
  const base::win32::UniqueFileHandle second = openEntry(b, FILE_READ_ATTRIBUTES, true);
  if (!first || !second) {
    const DWORD error = ::GetLastError();
    return isMissing(error) ? MoveStatus::success() : statusOf(error, first ? b : a);
  }
  BY_HANDLE_FILE_INFORMATION one{}, two{};
  if (!::GetFileInformationByHandle(first.get(), &one)) return lastStatus(a);
  if (!::GetFileInformationByHandle(second.get(), &two)) return lastStatus(b);
  // Cloned disks share the 32-bit serial, and ReFS numbers entries in 128 bits: the wide
  // identity where the system gives it.
  const auto wide = sameEntry(first.get(), second.get());
  same = (one.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         wide.value_or(one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
                       one.nFileIndexHigh == two.nFileIndexHigh &&
                       one.nFileIndexLow == two.nFileIndexLow);
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::deleteHeld(const std::wstring& path, ULONG options) {
  held_.forget(path);
  base::win32::UniqueFileHandle entry;
  MoveStatus st =
      reachEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, options, entry);
  // One that may be deleted (its folder lets us) but not changed goes without the read-only help.
  if (!st.ok() && st.code == MoveStatus::Code::NoRights) {
    st = reachEntry(path, DELETE | FILE_READ_ATTRIBUTES, options, entry);
  }
  if (!st.ok()) return st;
  // A folder that became a link: deleting the link would be harmless, but it is not what was
  // listed.
  if ((options & nt::kFolderOnly) && isLinkItself(entry.get())) {
    return statusOf(nt::kErrorLinkOnTheWay, path);
  }
  const DWORD error = deleteThrough(entry.get());
  return error ? statusOf(error, path) : MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::deleteFile(const std::wstring& path) {
  if (held_.holds(path)) return deleteHeld(path, nt::kFileOnly);
  return removeEvenReadOnly(path, ::DeleteFileW);
}

MoveStatus Win32MoveFileSystem::removeEmptyFolder(const std::wstring& path) {
  if (held_.holds(path)) return deleteHeld(path, nt::kFolderOnly);
  return removeEvenReadOnly(path, ::RemoveDirectoryW);
}

MoveStatus Win32MoveFileSystem::volumeInfo(const std::wstring& path, platform::VolumeInfo& info) {
  const auto quiet = base::win32::quietErrorMode();
  // The folder itself, links followed: a path through a junction to D: is on D:, whatever its
  // letter says.
  const base::win32::UniqueFileHandle folder = openEntry(path, FILE_READ_ATTRIBUTES, true);
  if (!folder) return lastStatus(path);
  wchar_t name[MAX_PATH + 1] = {};
  DWORD flags = 0;
  if (!::GetVolumeInformationByHandleW(folder.get(), nullptr, 0, nullptr, nullptr, &flags, name,
                                       MAX_PATH + 1)) {
    return lastStatus(path);
  }
  info.fileSystem = name;
  info.keepsSecurity = flags & FILE_PERSISTENT_ACLS;
  info.keepsStreams = flags & FILE_NAMED_STREAMS;
  info.keepsSparse = flags & FILE_SUPPORTS_SPARSE_FILES;
  info.keepsCompression = flags & FILE_FILE_COMPRESSION;
  const auto reached = base::win32::finalPathOf(folder.get());
  if (!reached) return lastStatus(path);
  std::wstring root(32768, L'\0');
  if (!::GetVolumePathNameW(callablePath(*reached).c_str(), root.data(),
                            static_cast<DWORD>(root.size()))) {
    return lastStatus(path);
  }
  root.resize(std::wcslen(root.c_str()));
  info.id = volumeIdentity(folder.get(), root);
  if (info.id.empty()) return lastStatus(path);
  info.network = isOnNetworkVolume(root);
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return lastStatus(path);
  info.freeBytes = available.QuadPart;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  info.clusterBytes = ::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector,
                                          &freeClusters, &clusters)
                          ? std::uint64_t{sectorsPerCluster} * bytesPerSector
                          : 1;
  if (info.clusterBytes == 0) info.clusterBytes = 1;
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::canKeepOwners(bool& can) {
  can = ownersCanBeKept();
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::ownedByOther(const std::wstring& path, bool& other) {
  if (MoveStatus st = reachFolders({&path}); !st.ok()) return st;
  const base::win32::UniqueFileHandle entry = openEntry(path, READ_CONTROL, false);
  if (!entry) return lastStatus(path);
  return ownerIsOther(entry.get(), path, other);
}

void Win32MoveFileSystem::letGo() {
  made_.reset();
  copyVolumeFlags_.reset();
  finishing_.reset();
  held_.letGo();
}

MoveStatus Win32MoveFileSystem::hold(const std::wstring& folder, std::wstring& finalPath) {
  return held_.hold(folder, finalPath);
}

MoveStatus Win32MoveFileSystem::reclaim(const std::wstring& path) {
  return reclaimEntry(path, [&](DWORD access) { return openEntry(path, access, false); });
}

MoveStatus Win32MoveFileSystem::hasStreams(const std::wstring& file, bool& has) {
  if (MoveStatus st = reachFolders({&file}); !st.ok()) return st;
  return findNamedStreams(file, has);
}

base::win32::UniqueFileHandle Win32MoveFileSystem::openEntry(const std::wstring& path, DWORD access,
                                                             bool followLink) {
  if (!held_.holds(path)) return openByPath(path, access, followLink);
  base::win32::UniqueFileHandle opened;
  if (const DWORD error = held_.open(path, access, 0, followLink, opened)) ::SetLastError(error);
  return opened;
}

MoveStatus Win32MoveFileSystem::reachEntry(const std::wstring& path, DWORD access, ULONG options,
                                           base::win32::UniqueFileHandle& opened) {
  if (!held_.holds(path)) {
    opened = openByPath(path, access, false);
    return opened ? MoveStatus::success() : lastStatus(path);
  }
  const DWORD error = held_.open(path, access, options, false, opened);
  return error ? statusOf(error, held_.refusedPath()) : MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::reachFolders(std::initializer_list<const std::wstring*> paths) {
  for (const std::wstring* path : paths) {
    HeldFolders::Place where;
    if (!held_.holds(*path)) continue;
    if (const DWORD error = held_.place(*path, where)) return statusOf(error, held_.refusedPath());
  }
  return MoveStatus::success();
}

base::EntryReading Win32MoveFileSystem::readingOf(const std::wstring& entry) {
  if (!held_.holds(entry)) return base::win32::readEntry(callablePath(entry));
  return held_.read(entry);
}

MoveStatus Win32MoveFileSystem::resolvedTarget(const std::wstring& link, std::wstring& target) {
  const base::win32::UniqueFileHandle file = openEntry(link, FILE_READ_ATTRIBUTES, true);
  if (!file) return lastStatus(link);
  const auto resolved = base::win32::finalPathOf(file.get());
  if (!resolved) return lastStatus(link);
  target = *resolved;
  return MoveStatus::success();
}

// The journal is written at each step of a move and deleted at its end: no folder stays open below
// a held one past a step.
MoveStatus Win32MoveFileSystem::writeJournal(const std::wstring& path, const std::wstring& text) {
  held_.forgetKept();
  return writeDurably(path, text);
}

MoveStatus Win32MoveFileSystem::readJournal(const std::wstring& path, std::wstring& text) {
  return readText(path, text);
}

MoveStatus Win32MoveFileSystem::deleteJournal(const std::wstring& path) {
  held_.forgetKept();
  if (::DeleteFileW(callablePath(path).c_str())) return MoveStatus::success();
  const DWORD error = ::GetLastError();
  return isMissing(error) ? MoveStatus::success() : statusOf(error, path);
}

std::wstring moveJournalFolder() {
  const std::wstring local = knownFolderPath(FOLDERID_LocalAppData);
  return local.empty() ? std::wstring() : local + L"\\Mirafold\\moves";
}

}  // namespace mirafold::win32
