#include "move/move_tree.h"

#include <chrono>
#include <map>
#include <vector>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"
#include "move/volume_rules.h"
#include "platform/clock.h"
#include "platform/entry_reading.h"

namespace mirafold::move {

using platform::EntryInfo;
using platform::EntryKind;
using platform::FolderEntry;
using platform::MoveStatus;

namespace {

MoveStatus differs(const std::wstring& path) {
  return {MoveStatus::Code::Failed, base::fillIn(kCopyDiffers, {path}), path};
}

MoveStatus extra(const std::wstring& path) {
  return {MoveStatus::Code::Failed, base::fillIn(kCopyHasExtra, {path}), path};
}

bool isSymbolicLink(const EntryInfo& info) {
  return info.kind != EntryKind::Missing && info.reparseTag == platform::kTagSymbolicLink;
}

// A file symbolic link is a file to a listing: its target is what it holds.
bool isFileLink(const EntryInfo& info) {
  return info.kind == EntryKind::File && isSymbolicLink(info);
}

bool isAbsolute(std::wstring_view path) {
  return (path.size() >= 2 && path[1] == L':') || path.starts_with(L"\\\\") ||
         path.starts_with(L"\\??\\");
}

// "." and ".." taken out of a plain absolute path; a ".." above the drive root stays at it.
std::wstring normalized(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring part(path.substr(start, end - start));
    if (part == L"..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring joined;
  for (const std::wstring& part : parts)
    joined = joined.empty() ? part : base::joinPath(joined, part);
  return parts.size() == 1 ? joined + L"\\" : joined;
}

}  // namespace

std::wstring outsideTarget(const std::wstring& link, const std::wstring& target,
                           const std::wstring& tree) {
  if (target.empty() || isAbsolute(target)) return {};
  // "\x" leads from the root of the link's own drive.
  const std::wstring leads = target.starts_with(L'\\')
                                 ? normalized(link.substr(0, 2) + target)
                                 : normalized(base::joinPath(base::parentOf(link), target));
  return base::isSameOrInside(leads, tree) ? std::wstring() : leads;
}

MoveStatus countOwner(platform::MoveFileSystem& files, const std::wstring& path,
                      TreeSummary& summary) {
  bool other = false;
  if (MoveStatus s = files.ownedByOther(path, other); !s.ok()) return s;
  if (other && summary.ownedByOthers++ == 0) summary.firstOwnedByOther = path;
  return MoveStatus::success();
}

MoveStatus summarize(platform::MoveFileSystem& files, const std::wstring& folder,
                     TreeSummary& summary, const WalkQuestions& questions) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = base::joinPath(folder, entry.name);
    const EntryInfo& info = entry.info;
    if (info.cloudPlaceholder) {
      // Listing a cloud folder would download it: its name is all the checks need.
      if (summary.firstCloudPlaceholder.empty()) summary.firstCloudPlaceholder = path;
      if (info.kind == EntryKind::Folder) continue;
    }
    if (questions.askOwners) {
      if (MoveStatus s = countOwner(files, path, summary); !s.ok()) return s;
    }
    if (isSymbolicLink(info)) {
      if (summary.firstSymbolicLink.empty()) summary.firstSymbolicLink = path;
      summary.symbolicLinks.push_back(path);
    }
    if ((info.kind == EntryKind::Link || isSymbolicLink(info)) && summary.firstLink.empty()) {
      summary.firstLink = path;
    }
    if (info.kind == EntryKind::Link && info.reparseTag == platform::kTagMountPoint) {
      summary.mountPoints.push_back(path);
    }
    if (info.kind == EntryKind::Folder) {
      if (MoveStatus s = summarize(files, path, summary, questions); !s.ok()) return s;
    } else if (info.kind == EntryKind::File && !isFileLink(info)) {
      std::uint32_t names = 1;
      if (questions.countNames) {
        if (MoveStatus s = files.nameCount(path, names); !s.ok()) return s;
      }
      if (names > 1) ++summary.filesWithManyNames;
      bool streams = false;
      if (questions.askStreams) {
        if (MoveStatus s = files.hasStreams(path, streams); !s.ok()) return s;
      }
      if (streams && summary.filesWithStreams++ == 0) summary.firstFileWithStreams = path;
      if (info.attributes & platform::kAttributeSparse) ++summary.sparseFiles;
      if (info.attributes & platform::kAttributeCompressed) ++summary.compressedFiles;
      ++summary.files;
      summary.bytes += info.size;
      // The whole length: where the copy cannot stay sparse or compressed it takes all of it, and
      // the listing does not tell what is allocated.
      summary.space += spaceTaken(info.size, questions.clusterBytes);
      if (info.size > summary.largest || summary.largestPath.empty()) {
        summary.largest = info.size;
        summary.largestPath = path;
      }
    }
  }
  return MoveStatus::success();
}

TreeCopier::TreeCopier(platform::MoveFileSystem& files, ProgressThrottle& progress,
                       const CancelFlag& cancel, const TreeSummary& total, bool withSecurity,
                       std::wstring shownAs)
    : files_(files),
      progress_(progress),
      cancel_(cancel),
      withSecurity_(withSecurity),
      shownAs_(std::move(shownAs)) {
  state_.bytesTotal = total.bytes;
  state_.filesTotal = total.files;
}

MoveStatus TreeCopier::copy(const std::wstring& from, const std::wstring& to,
                            std::uint32_t rootAttributes) {
  EntryInfo root;
  if (MoveStatus s = files_.inspect(from, root); !s.ok()) return s;
  if (MoveStatus s = files_.createPrivateFolder(to); !s.ok()) return s;
  const MoveStatus copied = copyContents(from, to, shownAs_);
  // Every copy on the disk before the copy may be called complete; after a failure too, so that
  // nothing of the copy is still open when it is deleted.
  const MoveStatus settled = files_.settleCopies([this] { return stillWaiting(); });
  if (!copied.ok()) return copied;
  if (!settled.ok()) return settled;
  if (MoveStatus s = files_.setTimes(to, root.times); !s.ok()) return s;
  return files_.setAttributes(to, rootAttributes);
}

bool TreeCopier::stillWaiting() {
  progress_.report(state_);
  return !cancel_.requested();
}

MoveStatus TreeCopier::secure(const std::wstring& from, const std::wstring& to) {
  return withSecurity_ ? files_.copySecurity(from, to, true) : MoveStatus::success();
}

MoveStatus TreeCopier::copyContents(const std::wstring& from, const std::wstring& to,
                                    const std::wstring& shown) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files_.list(from, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    if (cancel_.requested()) return MoveStatus::cancelled();
    const std::wstring source = base::joinPath(from, entry.name);
    const std::wstring target = base::joinPath(to, entry.name);
    const std::wstring shownHere = base::joinPath(shown, entry.name);
    MoveStatus s;
    if (isSymbolicLink(entry.info) || entry.info.kind == EntryKind::Link) {
      s = copyOneLink(source, target, shownHere);
    } else if (entry.info.kind == EntryKind::File) {
      s = copyOneFile(source, target, entry.info);
    } else if (entry.info.kind == EntryKind::Folder) {
      s = files_.createFolder(target);
      if (s.ok()) s = copyContents(source, target, shownHere);
      // Attributes and times last: adding entries changes a folder's time, and a read-only
      // folder may refuse them.
      if (s.ok()) {
        s = finishFolder(source, target, entry.info.times,
                         entry.info.attributes & kCarriedAttributes);
      }
    }
    if (!s.ok()) return s;
  }
  return MoveStatus::success();
}

// A relative symbolic link that leads out of the tree is made to lead where it led. On the disk
// before the journal can say the copy is complete: a new link is the volume's metadata, which no
// file's flush on another volume carries.
MoveStatus TreeCopier::copyOneLink(const std::wstring& from, const std::wstring& to,
                                   const std::wstring& shown) {
  std::wstring target, outside;
  if (MoveStatus s = files_.readLink(from, target); !s.ok()) return s;
  outside = outsideTarget(shown, target, shownAs_);
  MoveStatus s =
      outside.empty() ? files_.copyLink(from, to) : files_.copyLinkLeadingTo(from, to, outside);
  if (!s.ok()) return s;
  return files_.flushLink(to);
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
  // On the disk (settled in copy()) before the journal can say the copy is complete, and so
  // before any original goes.
  if (MoveStatus finished =
          files_.finishCopy(from, to, info.times, withSecurity_, [this] { return stillWaiting(); });
      !finished.ok()) {
    return finished;
  }
  // The size the walk found: the check after the copy compares the copy with it.
  state_.bytesDone = before + size;
  ++state_.filesDone;
  progress_.report(state_);
  return s;
}

// Times and attributes before the permissions: a DACL that grants this process only reading
// leaves it, as owner, READ_CONTROL and WRITE_DAC, and no right to write either.
MoveStatus TreeCopier::finishFolder(const std::wstring& from, const std::wstring& to,
                                    const platform::EntryTimes& times, std::uint32_t attributes) {
  if (MoveStatus s = files_.setTimes(to, times); !s.ok()) return s;
  if (MoveStatus s = files_.setAttributes(to, attributes); !s.ok()) return s;
  if (withSecurity_) return files_.copySecurity(from, to, false);
  return MoveStatus::success();
}

namespace {

// The target a copy of the link at `source` must have.
MoveStatus expectedTarget(platform::MoveFileSystem& files, const std::wstring& source,
                          const std::wstring& shown, const CopyCheck& check, std::wstring& target) {
  if (MoveStatus s = files.readLink(source, target); !s.ok()) return s;
  if (std::wstring outside = outsideTarget(shown, target, check.tree); !outside.empty()) {
    target = std::move(outside);
  }
  return MoveStatus::success();
}

}  // namespace

MoveStatus verifyCopy(platform::MoveFileSystem& files, const std::wstring& from,
                      const std::wstring& to, const CopyCheck& check) {
  if (check.checking) check.checking(from);
  std::vector<FolderEntry> originals, copies;
  if (MoveStatus s = files.list(from, originals); !s.ok()) return s;
  if (MoveStatus s = files.list(to, copies); !s.ok()) return s;
  std::map<std::wstring, const EntryInfo*, std::less<>> copied, original;
  for (const FolderEntry& entry : copies) copied.emplace(entry.name, &entry.info);
  for (const FolderEntry& entry : originals) original.emplace(entry.name, &entry.info);
  if (check.refuseExtras) {
    for (const FolderEntry& entry : copies) {
      if (!original.count(entry.name)) return extra(base::joinPath(check.shownAs, entry.name));
    }
  }
  for (const FolderEntry& entry : originals) {
    const std::wstring source = base::joinPath(from, entry.name);
    const std::wstring target = base::joinPath(to, entry.name);
    const std::wstring shown = base::joinPath(check.shownAs, entry.name);
    const auto found = copied.find(entry.name);
    if (found == copied.end() || found->second->kind != entry.info.kind) return differs(shown);
    const EntryInfo& copy = *found->second;
    // A link made anew has times of its own.
    if (entry.info.kind == EntryKind::File && !isFileLink(entry.info) &&
        (copy.size != entry.info.size ||
         !sameTimeWithin(entry.info.times.lastWrite, copy.times.lastWrite, check.timeStep))) {
      return differs(shown);
    }
    if (entry.info.kind == EntryKind::Link || isFileLink(entry.info)) {
      if (isFileLink(entry.info) != isFileLink(copy)) return differs(shown);
      std::wstring expected, copiedTarget;
      if (MoveStatus s = expectedTarget(files, source, shown, check, expected); !s.ok()) return s;
      if (MoveStatus s = files.readLink(target, copiedTarget); !s.ok()) return s;
      if (!base::samePath(expected, copiedTarget)) return differs(shown);
    }
    if (entry.info.kind == EntryKind::Folder) {
      CopyCheck inner = check;
      inner.shownAs = shown;
      if (MoveStatus s = verifyCopy(files, source, target, inner); !s.ok()) return s;
    }
  }
  return MoveStatus::success();
}

MoveStatus retryingBriefRefusals(const platform::Clock& clock,
                                 const std::function<MoveStatus()>& operation) {
  constexpr int kTries = 5;
  auto wait = std::chrono::milliseconds(125);
  MoveStatus st = operation();
  for (int tried = 1; tried < kTries &&
                      (st.code == MoveStatus::Code::InUse || st.code == MoveStatus::Code::NoRights);
       ++tried, wait *= 2) {
    clock.waitUntil(clock.now() + wait);
    st = operation();
  }
  return st;
}

namespace {

// One entry removed, patiently, and the move's own copies reclaimed once when refused for rights.
MoveStatus removeEntry(platform::MoveFileSystem& files, const TreeDeletion& how,
                       const std::wstring& path, const std::function<MoveStatus()>& remove) {
  const MoveStatus st = remove();
  if (st.code == MoveStatus::Code::NoRights && how.ownCopy) {
    if (MoveStatus taken = files.reclaim(path); !taken.ok()) return st;
  } else if (st.code != MoveStatus::Code::InUse && st.code != MoveStatus::Code::NoRights) {
    return st;
  }
  return retryingBriefRefusals(how.clock, remove);
}

}  // namespace

MoveStatus deleteTree(platform::MoveFileSystem& files, const std::wstring& folder,
                      const TreeDeletion& how) {
  std::vector<FolderEntry> entries;
  if (MoveStatus s = files.list(folder, entries); !s.ok()) return s;
  for (const FolderEntry& entry : entries) {
    const std::wstring path = base::joinPath(folder, entry.name);
    if (how.watcher) how.watcher(path);
    MoveStatus s;
    if (entry.info.kind == EntryKind::Folder) {
      s = deleteTree(files, path, how);
    } else if (entry.info.kind == EntryKind::Link) {
      s = removeEntry(files, how, path, [&] { return files.removeLink(path); });
    } else {
      s = removeEntry(files, how, path, [&] { return files.deleteFile(path); });
    }
    if (!s.ok()) return s;
  }
  return removeEntry(files, how, folder, [&] { return files.removeEmptyFolder(folder); });
}

}  // namespace mirafold::move
