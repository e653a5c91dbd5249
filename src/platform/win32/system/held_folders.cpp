#include "platform/win32/system/held_folders.h"

#include "base/win32/entry_reader.h"
#include "base/win32/final_path.h"
#include "base/win32/nt_files.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/handle_entries.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;
using platform::MoveStatus;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// Without a trailing backslash, but for a drive's root ("C:\").
std::wstring trimmed(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

// The names below `folder` when `path` is at or below it.
bool namesBelow(const std::wstring& path, const std::wstring& folder,
                std::vector<std::wstring_view>& names) {
  if (path.size() < folder.size() ||
      !sameName(std::wstring_view(path).substr(0, folder.size()), folder)) {
    return false;
  }
  if (path.size() > folder.size() && folder.back() != L'\\' && path[folder.size()] != L'\\') {
    return false;
  }
  names.clear();
  std::wstring_view rest = std::wstring_view(path).substr(folder.size());
  while (!rest.empty()) {
    const std::size_t cut = rest.find(L'\\');
    const std::wstring_view name = rest.substr(0, cut);
    if (!name.empty()) names.push_back(name);
    rest = cut == std::wstring_view::npos ? std::wstring_view() : rest.substr(cut + 1);
  }
  return true;
}

std::wstring joined(const std::wstring& folder, std::wstring_view name) {
  return (folder.ends_with(L'\\') ? folder : folder + L'\\') + std::wstring(name);
}

// `path` up to the end of `name`, one of its names.
std::wstring upTo(const std::wstring& path, std::wstring_view name) {
  return path.substr(0, static_cast<std::size_t>(name.data() + name.size() - path.data()));
}

// Wine deletes and renames by the name an entry had when it was opened, not by its handle: after
// a held folder was renamed and another put in its place, that name is the other's. What is
// deleted or renamed must still be where its name says.
bool stillNamed(HANDLE opened, const std::wstring& name) {
  const nt::UniqueFileHandle again(::CreateFileW(
      callablePath(name).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  // Both on the volume of that name: their numbers on it tell them apart.
  const auto index = nt::indexOf(opened);
  return again && index && index == nt::indexOf(again.get());
}

}  // namespace

MoveStatus HeldFolders::hold(const std::wstring& folder, std::wstring& finalPath) {
  const std::wstring asked = trimmed(folder);
  for (const Held& held : held_) {
    for (const std::wstring& name : held.names) {
      if (sameName(name, asked)) {
        finalPath = held.final;
        return MoveStatus::success();
      }
    }
  }
  base::win32::UniqueFileHandle handle(
      ::CreateFileW(callablePath(asked).c_str(), kFolderAccess | SYNCHRONIZE, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return lastStatus(folder);
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &info, sizeof info)) {
    return lastStatus(folder);
  }
  if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return statusOf(ERROR_DIRECTORY, folder);
  const auto final = nt::finalPathOf(handle.get());
  if (!final) return lastStatus(folder);
  finalPath = trimmed(*final);
  held_.push_back({{asked, finalPath}, std::move(handle), finalPath, {}});
  return MoveStatus::success();
}

std::size_t HeldFolders::heldOf(const std::wstring& path,
                                std::vector<std::wstring_view>* names) const {
  std::size_t found = std::wstring::npos, longest = 0;
  std::vector<std::wstring_view> below;
  for (std::size_t i = 0; i < held_.size(); ++i) {
    for (const std::wstring& name : held_[i].names) {
      if (name.size() >= longest && namesBelow(path, name, below)) {
        found = i;
        longest = name.size();
        if (names) *names = below;
      }
    }
  }
  return found;
}

bool HeldFolders::holds(const std::wstring& path) const {
  return heldOf(path, nullptr) != std::wstring::npos;
}

HANDLE HeldFolders::folderOf(const Held& held, std::size_t count) const {
  return count ? held.kept[count - 1].handle.get() : held.handle.get();
}

const std::wstring& HeldFolders::finalOf(const Held& held, std::size_t count) const {
  return count ? held.kept[count - 1].final : held.final;
}

DWORD HeldFolders::refuse(DWORD error, const std::wstring& path) {
  refused_ = path;
  return error;
}

DWORD HeldFolders::reach(Held& held, const std::vector<std::wstring_view>& names, std::size_t count,
                         const std::wstring& path) {
  const bool underWine = base::win32::hostLinksStandIn();
  for (std::size_t i = 0; i < count; ++i) {
    if (i < held.kept.size() && sameName(held.kept[i].name, names[i])) continue;
    held.kept.erase(held.kept.begin() + static_cast<std::ptrdiff_t>(i), held.kept.end());
    Kept next{std::wstring(names[i]), {}, {}};
    const nt::NtStatus status =
        nt::openInside(folderOf(held, i), names[i], kFolderAccess, kShareAll, nt::kOpenExisting,
                       nt::kFolderOnly | nt::kEntryItself, next.handle);
    // A folder that is no folder any more was swapped (a file symbolic link, or a file).
    if (status == nt::kStatusNotADirectory) {
      return refuse(nt::kErrorLinkOnTheWay, upTo(path, names[i]));
    }
    if (status < 0) return refuse(nt::errorOf(status), upTo(path, names[i]));
    if (underWine) next.final = joined(finalOf(held, i), names[i]);
    if (underWine ? !reachedItself(next.handle.get(), next.final)
                  : isLinkItself(next.handle.get())) {
      return refuse(nt::kErrorLinkOnTheWay, upTo(path, names[i]));
    }
    held.kept.push_back(std::move(next));
  }
  return 0;
}

DWORD HeldFolders::place(const std::wstring& path, Place& where) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos) return refuse(ERROR_PATH_NOT_FOUND, path);
  Held& held = held_[index];
  const std::size_t folders = names.empty() ? 0 : names.size() - 1;
  if (const DWORD error = reach(held, names, folders, path)) return error;
  where = {folderOf(held, folders), names.empty() ? std::wstring_view() : names.back()};
  return 0;
}

DWORD HeldFolders::reachFolder(const std::wstring& path, HANDLE& folder) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos) return refuse(ERROR_PATH_NOT_FOUND, path);
  if (const DWORD error = reach(held_[index], names, names.size(), path)) return error;
  folder = folderOf(held_[index], names.size());
  return 0;
}

DWORD HeldFolders::open(const std::wstring& path, DWORD access, ULONG options, bool followLink,
                        base::win32::UniqueFileHandle& opened, ULONG share) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos) return refuse(ERROR_PATH_NOT_FOUND, path);
  Held& held = held_[index];
  const std::size_t folders = names.empty() ? 0 : names.size() - 1;
  if (const DWORD error = reach(held, names, folders, path)) return error;
  const std::wstring_view name = names.empty() ? std::wstring_view() : names.back();
  const nt::NtStatus status =
      nt::openInside(folderOf(held, folders), name, access, share, nt::kOpenExisting,
                     options | (followLink ? 0 : nt::kEntryItself), opened);
  if (status < 0) return refuse(nt::errorOf(status), path);
  if (!followLink && !name.empty() && base::win32::hostLinksStandIn()) {
    const std::wstring expected = joined(finalOf(held, folders), name);
    if (!reachedItself(opened.get(), expected) ||
        ((access & DELETE) && !stillNamed(opened.get(), expected))) {
      opened.reset();
      return refuse(nt::kErrorLinkOnTheWay, path);
    }
  }
  return 0;
}

DWORD HeldFolders::createFolder(const std::wstring& path, PSECURITY_DESCRIPTOR security) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos || names.empty()) return refuse(ERROR_ALREADY_EXISTS, path);
  Held& held = held_[index];
  const std::size_t folders = names.size() - 1;
  if (const DWORD error = reach(held, names, folders, path)) return error;
  held.kept.erase(held.kept.begin() + static_cast<std::ptrdiff_t>(folders), held.kept.end());
  Kept made{std::wstring(names.back()), {}, {}};
  const nt::NtStatus status =
      nt::openInside(folderOf(held, folders), names.back(), kFolderAccess, kShareAll,
                     nt::kCreateNew, nt::kFolderOnly | nt::kEntryItself, made.handle, security);
  if (status < 0) return refuse(nt::errorOf(status), path);
  if (base::win32::hostLinksStandIn()) made.final = joined(finalOf(held, folders), names.back());
  held.kept.push_back(std::move(made));
  return 0;
}

DWORD HeldFolders::create(const std::wstring& path, DWORD access, ULONG share, ULONG options,
                          base::win32::UniqueFileHandle& made, DWORD attributes) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos || names.empty()) return refuse(ERROR_ALREADY_EXISTS, path);
  Held& held = held_[index];
  const std::size_t folders = names.size() - 1;
  if (const DWORD error = reach(held, names, folders, path)) return error;
  const nt::NtStatus status =
      nt::openInside(folderOf(held, folders), names.back(), access, share, nt::kCreateNew,
                     options | nt::kEntryItself, made, nullptr, attributes);
  if (status < 0) return refuse(nt::errorOf(status), path);
  // Wine makes it by the folder's name: where that name leads now.
  if (base::win32::hostLinksStandIn() &&
      !reachedItself(made.get(), joined(finalOf(held, folders), names.back()))) {
    made.reset();
    return refuse(nt::kErrorLinkOnTheWay, path);
  }
  return 0;
}

base::EntryReading HeldFolders::read(const std::wstring& path) {
  base::win32::UniqueFileHandle opened;
  DWORD error = open(path, FILE_READ_ATTRIBUTES, 0, false, opened);
  if (!error) return base::win32::readEntry(opened.get());
  base::EntryReading reading;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return reading;
  // Under Wine, an entry that could not be opened itself is a host link: where it leads is
  // where the system gets through it.
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (error == nt::kErrorLinkOnTheWay && refused_ == path &&
      !(error = open(path, FILE_READ_ATTRIBUTES, 0, true, opened)) &&
      ::GetFileInformationByHandleEx(opened.get(), FileAttributeTagInfo, &info, sizeof info)) {
    if (const auto target = nt::finalPathOf(opened.get())) {
      reading = base::readingOf(info.FileAttributes | FILE_ATTRIBUTE_REPARSE_POINT, {}, true);
      reading.target = *target;
      return reading;
    }
  }
  reading.kind = base::EntryKind::Unreadable;
  reading.error = error ? error : ::GetLastError();
  return reading;
}

void HeldFolders::forgetKept() {
  for (Held& held : held_) held.kept.clear();
}

void HeldFolders::forget(const std::wstring& path) {
  std::vector<std::wstring_view> names;
  const std::size_t index = heldOf(path, &names);
  if (index == std::wstring::npos) return;
  std::vector<Kept>& kept = held_[index].kept;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i >= kept.size() || !sameName(kept[i].name, names[i])) return;
  }
  // `path` is kept, or is the held folder itself: it and everything below go.
  const std::size_t from = names.empty() ? 0 : names.size() - 1;
  kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(from), kept.end());
}

}  // namespace mirafold::win32
