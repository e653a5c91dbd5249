#include "move/move_tree.h"

#include <map>
#include <vector>

#include "move/messages.h"
#include "move/move_paths.h"
#include "move/volume_rules.h"
#include "platform/entry_reading.h"

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
                     TreeSummary& summary, std::uint64_t clusterBytes, bool countNames) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = joinPath(folder, entry.name);
    if (entry.info.cloudPlaceholder) {
      // Listing a cloud folder would download it: its name is all the checks need.
      if (summary.firstCloudPlaceholder.empty()) summary.firstCloudPlaceholder = path;
      if (entry.info.kind == EntryKind::Folder) continue;
    }
    if (entry.info.kind == EntryKind::Link && entry.info.reparseTag == platform::kTagSymbolicLink &&
        summary.firstSymbolicLink.empty()) {
      summary.firstSymbolicLink = path;
    }
    if (entry.info.kind == EntryKind::Link && entry.info.reparseTag == platform::kTagMountPoint) {
      summary.mountPoints.push_back(path);
    }
    if (entry.info.kind == EntryKind::Folder) {
      if (MoveStatus s = summarize(files, path, summary, clusterBytes, countNames); !s.ok()) {
        return s;
      }
    } else if (entry.info.kind == EntryKind::File) {
      std::uint32_t names = 1;
      if (countNames) {
        if (MoveStatus s = files.nameCount(path, names); !s.ok()) return s;
      }
      if (names > 1) ++summary.filesWithManyNames;
      ++summary.files;
      summary.bytes += entry.info.size;
      summary.space += spaceTaken(entry.info.size, clusterBytes);
      if (entry.info.size > summary.largest || summary.largestPath.empty()) {
        summary.largest = entry.info.size;
        summary.largestPath = path;
      }
    }
  }
  return MoveStatus::success();
}

TreeCopier::TreeCopier(platform::MoveFileSystem& files, ProgressThrottle& progress,
                       const CancelFlag& cancel, const TreeSummary& total, bool withSecurity)
    : files_(files), progress_(progress), cancel_(cancel), withSecurity_(withSecurity) {
  state_.bytesTotal = total.bytes;
  state_.filesTotal = total.files;
}

MoveStatus TreeCopier::copy(const std::wstring& from, const std::wstring& to,
                            std::uint32_t rootAttributes) {
  EntryInfo root;
  if (MoveStatus s = files_.inspect(from, root); !s.ok()) return s;
  if (MoveStatus s = files_.createFolder(to); !s.ok()) return s;
  if (MoveStatus s = copyContents(from, to); !s.ok()) return s;
  return finishFolder(from, to, root.times, rootAttributes, true);
}

MoveStatus TreeCopier::copyContents(const std::wstring& from, const std::wstring& to) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files_.list(from, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    if (cancel_.requested()) return cancelled();
    const std::wstring source = joinPath(from, entry.name);
    const std::wstring target = joinPath(to, entry.name);
    MoveStatus s;
    if (entry.info.kind == EntryKind::File) {
      s = copyOneFile(source, target, entry.info);
    } else if (entry.info.kind == EntryKind::Link) {
      s = files_.copyLink(source, target);
    } else if (entry.info.kind == EntryKind::Folder) {
      s = files_.createFolder(target);
      if (s.ok()) s = copyContents(source, target);
      // Attributes and times last: adding entries changes a folder's time, and a read-only
      // folder may refuse them.
      if (s.ok()) {
        s = finishFolder(source, target, entry.info.times,
                         entry.info.attributes & kCarriedAttributes, false);
      }
    }
    if (!s.ok()) return s;
  }
  return MoveStatus::success();
}

MoveStatus TreeCopier::copyOneFile(const std::wstring& from, const std::wstring& to,
                                   const EntryInfo& info) {
  const std::uint64_t size = info.size;
  const std::uint64_t before = state_.bytesDone;
  state_.currentFile = from;
  progress_.report(state_);
  MoveStatus s = files_.copyFile(from, to, [&](std::uint64_t copied) {
    state_.bytesDone = before + copied;
    progress_.report(state_);
    return !cancel_.requested();
  });
  if (!s.ok()) return s;
  // On the disk before the journal can say the copy is complete, and so before any original goes.
  if (MoveStatus finished = files_.finishCopy(from, to, info.times, withSecurity_);
      !finished.ok()) {
    return finished;
  }
  // The size the walk found: the check after the copy compares the copy with it.
  state_.bytesDone = before + size;
  ++state_.filesDone;
  progress_.report(state_);
  return s;
}

MoveStatus TreeCopier::finishFolder(const std::wstring& from, const std::wstring& to,
                                    const platform::EntryTimes& times, std::uint32_t attributes,
                                    bool root) {
  if (withSecurity_) {
    if (MoveStatus s = files_.copySecurity(from, to, root); !s.ok()) return s;
  }
  if (MoveStatus s = files_.setTimes(to, times); !s.ok()) return s;
  return files_.setAttributes(to, attributes);
}

MoveStatus verifyCopy(platform::MoveFileSystem& files, const std::wstring& from,
                      const std::wstring& to, const CopyCheck& check) {
  std::vector<FolderEntry> originals, copies;
  if (MoveStatus s = files.list(from, originals); !s.ok()) return s;
  if (MoveStatus s = files.list(to, copies); !s.ok()) return s;
  std::map<std::wstring, const EntryInfo*, std::less<>> copied;
  for (const FolderEntry& entry : copies) copied.emplace(entry.name, &entry.info);
  for (const FolderEntry& entry : originals) {
    const std::wstring source = joinPath(from, entry.name);
    const std::wstring target = joinPath(to, entry.name);
    const std::wstring shown = joinPath(check.shownAs, entry.name);
    const auto found = copied.find(entry.name);
    if (found == copied.end() || found->second->kind != entry.info.kind) return differs(shown);
    const EntryInfo& copy = *found->second;
    if (entry.info.kind == EntryKind::File &&
        (copy.size != entry.info.size ||
         !sameTimeWithin(entry.info.times.lastWrite, copy.times.lastWrite, check.timeStep))) {
      return differs(shown);
    }
    if (entry.info.kind == EntryKind::Link) {
      std::wstring originalTarget, copiedTarget;
      if (MoveStatus s = files.readLink(source, originalTarget); !s.ok()) return s;
      if (MoveStatus s = files.readLink(target, copiedTarget); !s.ok()) return s;
      if (!samePath(originalTarget, copiedTarget)) return differs(shown);
    }
    if (entry.info.kind == EntryKind::Folder) {
      if (MoveStatus s = verifyCopy(files, source, target, {check.timeStep, shown}); !s.ok()) {
        return s;
      }
    }
  }
  return MoveStatus::success();
}

MoveStatus deleteTree(platform::MoveFileSystem& files, const std::wstring& folder,
                      const DeletionWatcher& watcher) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = joinPath(folder, entry.name);
    if (watcher) watcher(path);
    MoveStatus s;
    if (entry.info.kind == EntryKind::Folder) {
      s = deleteTree(files, path, watcher);
    } else if (entry.info.kind == EntryKind::Link) {
      s = files.removeLink(path);
    } else {
      s = files.deleteFile(path);
    }
    if (!s.ok()) return s;
  }
  return files.removeEmptyFolder(folder);
}

}  // namespace mirafold::move
