#include "move/move_tree.h"

#include <vector>

#include "move/messages.h"
#include "move/move_paths.h"

namespace mirafold::move {

using platform::EntryInfo;
using platform::EntryKind;
using platform::FolderEntry;
using platform::MoveStatus;

namespace {

MoveStatus cancelled() { return {MoveStatus::Code::Cancelled, {}, {}}; }

MoveStatus differs(const std::wstring& path) {
  return MoveStatus::failure(fillIn(kCopyDiffers, {path}));
}

}  // namespace

MoveStatus summarize(platform::MoveFileSystem& files, const std::wstring& folder,
                     TreeSummary& summary) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = joinPath(folder, entry.name);
    if (entry.kind == EntryKind::Folder) {
      if (MoveStatus s = summarize(files, path, summary); !s.ok()) return s;
    } else if (entry.kind == EntryKind::File) {
      EntryInfo info;
      if (MoveStatus s = files.inspect(path, info); !s.ok()) return s;
      ++summary.files;
      summary.bytes += info.size;
    }
  }
  return MoveStatus::success();
}

TreeCopier::TreeCopier(platform::MoveFileSystem& files, ProgressThrottle& progress,
                       const CancelFlag& cancel, const TreeSummary& total)
    : files_(files), progress_(progress), cancel_(cancel) {
  state_.bytesTotal = total.bytes;
  state_.filesTotal = total.files;
}

MoveStatus TreeCopier::copy(const std::wstring& from, const std::wstring& to,
                            std::uint32_t rootAttributes) {
  if (MoveStatus s = files_.createFolder(to); !s.ok()) return s;
  if (MoveStatus s = copyContents(from, to); !s.ok()) return s;
  return finishFolder(from, to, rootAttributes);
}

MoveStatus TreeCopier::copyContents(const std::wstring& from, const std::wstring& to) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files_.list(from, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    if (cancel_.requested()) return cancelled();
    const std::wstring source = joinPath(from, entry.name);
    const std::wstring target = joinPath(to, entry.name);
    MoveStatus s;
    if (entry.kind == EntryKind::File) {
      s = copyOneFile(source, target);
    } else if (entry.kind == EntryKind::Link) {
      std::wstring linkTarget;
      s = files_.readLink(source, linkTarget);
      if (s.ok()) s = files_.makeLink(target, linkTarget);
    } else if (entry.kind == EntryKind::Folder) {
      EntryInfo info;
      s = files_.inspect(source, info);
      if (s.ok()) s = files_.createFolder(target);
      if (s.ok()) s = copyContents(source, target);
      // Attributes and times last: adding entries changes a folder's time, and a read-only
      // folder may refuse them.
      if (s.ok()) s = finishFolder(source, target, info.attributes & kCarriedAttributes);
    }
    if (!s.ok()) return s;
  }
  return MoveStatus::success();
}

MoveStatus TreeCopier::copyOneFile(const std::wstring& from, const std::wstring& to) {
  const std::uint64_t before = state_.bytesDone;
  state_.currentFile = from;
  progress_.report(state_);
  MoveStatus s = files_.copyFile(from, to, [&](std::uint64_t copied) {
    state_.bytesDone = before + copied;
    progress_.report(state_);
    return !cancel_.requested();
  });
  if (!s.ok()) return s;
  EntryInfo copiedInfo;
  if (MoveStatus t = files_.inspect(to, copiedInfo); !t.ok()) return t;
  state_.bytesDone = before + copiedInfo.size;
  ++state_.filesDone;
  progress_.report(state_);
  return s;
}

MoveStatus TreeCopier::finishFolder(const std::wstring& from, const std::wstring& to,
                                    std::uint32_t attributes) {
  EntryInfo info;
  if (MoveStatus s = files_.inspect(from, info); !s.ok()) return s;
  if (MoveStatus s = files_.setTimes(to, info.times); !s.ok()) return s;
  return files_.setAttributes(to, attributes);
}

MoveStatus verifyCopy(platform::MoveFileSystem& files, const std::wstring& from,
                      const std::wstring& to) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(from, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring source = joinPath(from, entry.name);
    const std::wstring target = joinPath(to, entry.name);
    EntryInfo original, copied;
    if (MoveStatus s = files.inspect(source, original); !s.ok()) return s;
    if (MoveStatus s = files.inspect(target, copied); !s.ok()) return s;
    if (copied.kind != original.kind) return differs(target);
    if (entry.kind == EntryKind::File &&
        (copied.size != original.size || copied.times.lastWrite != original.times.lastWrite)) {
      return differs(target);
    }
    if (entry.kind == EntryKind::Link) {
      std::wstring originalTarget, copiedTarget;
      if (MoveStatus s = files.readLink(source, originalTarget); !s.ok()) return s;
      if (MoveStatus s = files.readLink(target, copiedTarget); !s.ok()) return s;
      if (!samePath(originalTarget, copiedTarget)) return differs(target);
    }
    if (entry.kind == EntryKind::Folder) {
      if (MoveStatus s = verifyCopy(files, source, target); !s.ok()) return s;
    }
  }
  return MoveStatus::success();
}

MoveStatus deleteTree(platform::MoveFileSystem& files, const std::wstring& folder) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = joinPath(folder, entry.name);
    MoveStatus s;
    if (entry.kind == EntryKind::Folder) {
      s = deleteTree(files, path);
    } else if (entry.kind == EntryKind::Link) {
      s = files.removeLink(path);
    } else {
      s = files.deleteFile(path);
    }
    if (!s.ok()) return s;
  }
  return files.removeEmptyFolder(folder);
}

}  // namespace mirafold::move
