#include "fakes/fake_move_file_system.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "base/path_rules.h"
#include "move/move_paths.h"
#include "move/volume_rules.h"
#include "platform/entry_reading.h"
#include "platform/volume_identity.h"

namespace mirafold::fakes {

using base::joinPath;
using base::parentOf;
using platform::EntryKind;
using platform::MoveStatus;

namespace {

MoveStatus failed(const std::wstring& why) { return MoveStatus::failure(why); }
MoveStatus injected() { return failed(L"injected fault"); }

// `key` lies below `folder` (a drive root ends in its separator, other folders do not).
bool isBelow(std::wstring_view key, std::wstring_view folder) {
  const std::size_t n = folder.size() + (folder.ends_with(L'\\') ? 0 : 1);
  return key.size() > n && key[n - 1] == L'\\' && key.substr(0, folder.size()) == folder;
}

platform::EntryInfo infoOf(const FakeMoveFileSystem::Node& node) {
  return {node.kind,
          node.attributes | (node.kind == EntryKind::Folder ? 0x10u : 0u),
          node.content.size(),
          node.times,
          (node.attributes &
           (platform::kAttributeRecallOnOpen | platform::kAttributeRecallOnDataAccess)) != 0,
          node.tag,
          node.fileId};
}

}  // namespace

// FAT and exFAT as the file systems' comparison has them: no security (ACLs), no named streams,
// sparse files, compression or links; FAT32 keeps write times in 2 s, exFAT in 10 ms.
void FakeMoveFileSystem::addVolume(wchar_t letter, Volume volume) {
  if (!move::keepsLinks(volume.fileSystem)) {
    volume.keepsSecurity = volume.keepsStreams = volume.keepsSparse = false;
    volume.keepsCompression = false;
    volume.timeStep = std::max(volume.timeStep, move::timeStepOf(volume.fileSystem));
  }
  letter = static_cast<wchar_t>(std::towupper(letter));
  if (volume.serial64 == 0) volume.serial64 = 0x5E41A10000000000ull + letter;
  volumes_[letter] = volume;
}

void FakeMoveFileSystem::addFolder(const std::wstring& path, std::uint32_t attributes) {
  const std::wstring parent = parentOf(path);
  if (!isFolder(parent)) addFolder(parent);
  put(path, {EntryKind::Folder, {}, attributes, {++now_, ++now_}, {}, false, 0, L"acl " + path});
}

void FakeMoveFileSystem::addFile(const std::wstring& path, const std::wstring& content,
                                 std::uint32_t attributes) {
  const std::wstring parent = parentOf(path);
  if (!isFolder(parent)) addFolder(parent);
  put(path, {EntryKind::File, content, attributes, {++now_, ++now_}, {}, false, 0, L"acl " + path});
}

void FakeMoveFileSystem::addLink(const std::wstring& path, const std::wstring& target,
                                 std::uint32_t tag) {
  const std::wstring parent = parentOf(path);
  if (!isFolder(parent)) addFolder(parent);
  put(path, {EntryKind::Link, {}, platform::kAttributeLink, {++now_, ++now_}, target, false, tag});
}

void FakeMoveFileSystem::addFileLink(const std::wstring& path, const std::wstring& target) {
  const std::wstring parent = parentOf(path);
  if (!isFolder(parent)) addFolder(parent);
  put(path, {EntryKind::File,
             {},
             platform::kAttributeLink,
             {++now_, ++now_},
             {},
             false,
             platform::kTagSymbolicLink,
             L"acl " + path});
  nodes_.at(path).target = target;  // not followed: a file link leads to no folder
}

std::wstring FakeMoveFileSystem::resolve(const std::wstring& path, bool followLast) const {
  std::wstring current = path;
  for (int hops = 0; hops < 40; ++hops) {
    bool replaced = false;
    for (const auto& [link, target] : links_) {
      const bool inside = current.size() > link.size() && current[link.size()] == L'\\' &&
                          current.compare(0, link.size(), link) == 0;
      if (inside || (followLast && current == link)) {
        current = base::withoutTrailingSeparator(target) + current.substr(link.size());
        replaced = true;
        break;
      }
    }
    if (!replaced) return current;
  }
  return current;
}

void FakeMoveFileSystem::indexLinks() {
  links_.clear();
  for (const auto& [path, node] : nodes_) {
    if (node.kind == EntryKind::Link) links_[path] = node.target;
  }
}

const FakeMoveFileSystem::Node* FakeMoveFileSystem::find(const std::wstring& path) const {
  const auto found = nodes_.find(resolve(path, false));
  return found == nodes_.end() ? nullptr : &found->second;
}

FakeMoveFileSystem::Node* FakeMoveFileSystem::at(const std::wstring& path) {
  const auto found = nodes_.find(resolve(path, false));
  return found == nodes_.end() ? nullptr : &found->second;
}

bool FakeMoveFileSystem::isFolder(const std::wstring& path) const {
  const std::wstring real = resolve(path, true);
  if (base::isDriveRoot(real)) {
    return volumes_.count(static_cast<wchar_t>(std::towupper(real[0]))) != 0;
  }
  const auto found = nodes_.find(real);
  return found != nodes_.end() && found->second.kind == EntryKind::Folder;
}

bool FakeMoveFileSystem::hasChildren(const std::wstring& path) const {
  // Entries below sort together right after the folder's name and a separator.
  const auto first = nodes_.lower_bound(joinPath(path, L""));
  return first != nodes_.end() && isBelow(first->first, path);
}

void FakeMoveFileSystem::touchParent(const std::wstring& path) {
  if (Node* parent = at(parentOf(path))) parent->times.lastWrite = ++now_;
}

FakeMoveFileSystem::Volume* FakeMoveFileSystem::volumeOf(const std::wstring& path) {
  const std::wstring real = resolve(path, false);
  if (real.size() < 2 || real[1] != L':') return nullptr;
  const auto found = volumes_.find(static_cast<wchar_t>(std::towupper(real[0])));
  return found == volumes_.end() ? nullptr : &found->second;
}

// Files take their size from their volume's free space, and give it back when they go.
void FakeMoveFileSystem::put(const std::wstring& path, Node node) {
  const std::wstring real = resolve(path, false);
  Node& slot = nodes_[real];
  if (Volume* volume = volumeOf(path)) {
    volume->freeBytes += move::spaceTaken(slot.content.size(), volume->clusterBytes) -
                         move::spaceTaken(node.content.size(), volume->clusterBytes);
  }
  if (node.kind == EntryKind::Link) links_[real] = node.target;
  slot = std::move(node);
  touchParent(path);
}

void FakeMoveFileSystem::erase(const std::wstring& path) {
  const auto found = nodes_.find(resolve(path, false));
  const bool unflushedCopies = std::any_of(
      nodes_.begin(), nodes_.end(), [](const auto& entry) { return entry.second.unflushed; });
  if (unflushedCopies && found->first.find(move::kMovingSuffix) != std::wstring::npos) {
    ++deletedBeforeFlush_;
  }
  if (Volume* volume = volumeOf(path)) {
    volume->freeBytes += move::spaceTaken(found->second.content.size(), volume->clusterBytes);
  }
  touchParent(path);
  links_.erase(found->first);
  nodes_.erase(found);
}

std::uint64_t FakeMoveFileSystem::keptTime(const std::wstring& path, std::uint64_t time) {
  const Volume* volume = volumeOf(path);
  return volume ? time / volume->timeStep * volume->timeStep : time;
}

FakeMoveFileSystem::Fault FakeMoveFileSystem::next() {
  const long n = operations_++;
  if (n == crashAt_) return Fault::Crash;
  return n == failAt_ ? Fault::Fail : Fault::None;
}

void FakeMoveFileSystem::crash() {
  // A link, a file's or a folder's, is the volume's metadata: gone unless its log was written.
  std::erase_if(nodes_, [](const auto& entry) {
    return !entry.second.target.empty() && entry.second.unflushed;
  });
  indexLinks();
  // Renames the log never got are undone, the latest first.
  for (auto it = unflushedRenames_.rbegin(); it != unflushedRenames_.rend(); ++it) {
    if (nodes_.count(it->second) && !nodes_.count(it->first)) moveTree(it->second, it->first);
  }
  unflushedRenames_.clear();
  for (auto& [path, node] : nodes_) {
    if (!node.unflushed) continue;
    const std::size_t kept = node.content.size() / 2;
    if (Volume* volume = volumeOf(path)) {
      volume->freeBytes += move::spaceTaken(node.content.size(), volume->clusterBytes) -
                           move::spaceTaken(kept, volume->clusterBytes);
    }
    node.content.resize(kept);
  }
  // The process's copies in flight end with it, told to nobody.
  unsettled_.clear();
  lateFailure_.reset();
  throw SimulatedCrash{};
}

void FakeMoveFileSystem::flushVolumeOf(const std::wstring& path) {
  const Volume* volume = volumeOf(path);
  for (auto& [key, node] : nodes_) {
    if (!node.target.empty() && volumeOf(key) == volume) node.unflushed = false;
  }
  std::erase_if(unflushedRenames_,
                [&](const auto& rename) { return volumeOf(rename.first) == volume; });
}

std::optional<MoveStatus> FakeMoveFileSystem::changedBelowHeld(const std::wstring& path,
                                                               bool lastMayBeLink) const {
  for (const std::wstring& folder : heldFolders_) {
    if (!isBelow(path, folder)) continue;
    // Each part below the held folder, as a handle-relative opening meets it.
    for (std::size_t end = folder.size() + (folder.ends_with(L'\\') ? 0 : 1);;) {
      const std::size_t next = path.find(L'\\', end);
      const std::wstring part = path.substr(0, next);
      const bool last = next == std::wstring::npos;
      const auto found = nodes_.find(part);
      if (found != nodes_.end() && found->second.kind == EntryKind::Link &&
          !(last && lastMayBeLink)) {
        return MoveStatus{MoveStatus::Code::Changed, L"became a link: " + part, part};
      }
      if (last) break;
      end = next + 1;
    }
  }
  return std::nullopt;
}

bool FakeMoveFileSystem::mayAddTo(const std::wstring& parent) const {
  const Node* node = find(parent);
  return !node || !node->readOnlyAcl;
}

bool FakeMoveFileSystem::mayChange(const std::wstring& path) const {
  const Node* node = find(path);
  return !node || !node->readOnlyAcl;
}

bool FakeMoveFileSystem::mayWritePermissions(const std::wstring& path) const {
  const Node* node = find(path);
  return !node || node->owner.empty() || !node->readOnlyAcl;
}

bool FakeMoveFileSystem::isFatVolume(const std::wstring& path) {
  const Volume* volume = volumeOf(path);
  return volume && !move::keepsLinks(volume->fileSystem);
}

bool FakeMoveFileSystem::exists(const std::wstring& path) {
  if (at(path)) return true;
  if (!isFatVolume(path)) return false;
  const auto lower = [](std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
  };
  const std::wstring real = resolve(path, false);
  const std::wstring wanted = lower(real);
  const auto matches = [&](const auto& entry) { return lower(entry.first) == wanted; };
  // Only its parent's entries can match, where the parent is spelt as stored.
  const std::wstring parent = parentOf(real);
  if (!nodes_.count(parent)) return std::any_of(nodes_.begin(), nodes_.end(), matches);
  for (auto it = nodes_.lower_bound(joinPath(parent, L""));
       it != nodes_.end() && isBelow(it->first, parent); ++it) {
    if (matches(*it)) return true;
  }
  return false;
}

MoveStatus FakeMoveFileSystem::giveSecurity(const Node& source, const std::wstring& copy) {
  if (isFatVolume(copy)) return failed(L"no security here: " + copy);
  if (!mayWritePermissions(copy)) return {MoveStatus::Code::NoRights, L"access denied", {}};
  Node* node = at(copy);
  node->security = source.security;
  node->readOnlyAcl = source.readOnlyAcl;
  node->owner = restorePrivilege_ ? source.owner : std::wstring();
  return MoveStatus::success();
}

// DELETE on the entry, or FILE_DELETE_CHILD on its parent.
bool FakeMoveFileSystem::mayDelete(const std::wstring& path) const {
  return mayChange(path) || mayAddTo(parentOf(path));
}

bool FakeMoveFileSystem::scannerHolds(const std::wstring& path) {
  if (!scanning_) return false;
  const std::wstring real = resolve(path, false);
  if (std::find(scanned_.begin(), scanned_.end(), real) != scanned_.end()) return false;
  scanned_.push_back(real);
  return true;
}

void FakeMoveFileSystem::afterListing(const std::wstring& folder) {
  if (listings_++ != attackAt_ || attack_ == Attack::None) return;
  const std::wstring real = resolve(folder, true);
  if (attack_ == Attack::LinkToVictim) {
    const auto child = std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& entry) {
      return entry.second.kind == EntryKind::Folder && parentOf(entry.first) == real;
    });
    if (child == nodes_.end()) return;
    const std::wstring path = child->first;
    const std::wstring stash = L"C:\\Stash\\" + std::to_wstring(attackAt_);
    addFolder(parentOf(stash));
    std::map<std::wstring, Node, std::less<>> moved;
    for (auto it = nodes_.begin(); it != nodes_.end();) {
      if (it->first == path || isBelow(it->first, path)) {
        moved[stash + it->first.substr(path.size())] = std::move(it->second);
        it = nodes_.erase(it);
      } else {
        ++it;
      }
    }
    nodes_.merge(moved);
    addLink(path, victim_);
    indexLinks();
    attacked_ = true;
    return;
  }
  // The copy's root keeps out whoever is not this process's user when it was made private.
  for (const auto& [path, node] : nodes_) {
    if (!path.ends_with(move::kPartialSuffix) || node.kind != EntryKind::Folder) continue;
    if (!node.isPrivate) {
      addFile(path + L"\\planted.dll", L"planted");
      attacked_ = true;
    }
    return;
  }
}

std::optional<MoveStatus> FakeMoveFileSystem::injectedFault() {
  switch (next()) {
    case Fault::Crash:
      crash();
    case Fault::Fail:
      return injected();
    case Fault::None:
      break;
  }
  return std::nullopt;
}

MoveStatus FakeMoveFileSystem::inspect(const std::wstring& path, platform::EntryInfo& info) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  info = {};
  if (base::isDriveRoot(path)) {
    if (isFolder(path)) info.kind = EntryKind::Folder;
    return MoveStatus::success();
  }
  if (const Node* node = at(path)) info = infoOf(*node);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::list(const std::wstring& folder,
                                    std::vector<platform::FolderEntry>& entries) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(folder, false)) return *changed;
  if (!isFolder(folder)) return failed(L"no such folder: " + folder);
  entries.clear();
  const std::wstring real = resolve(folder, true);
  const std::wstring prefix = joinPath(real, L"");
  const Volume* volume = volumeOf(real);
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && isBelow(it->first, real); ++it) {
    const std::wstring rest = it->first.substr(prefix.size());
    if (rest.find(L'\\') != std::wstring::npos) continue;
    platform::EntryInfo info = infoOf(it->second);
    // Each file's room as a listing by handle reports it: whole clusters.
    if (info.kind == EntryKind::File && volume) {
      info.allocated = move::spaceTaken(info.size, volume->clusterBytes);
    }
    entries.push_back({rest, info});
  }
  afterListing(folder);
  return MoveStatus::success();
}

// As a handle would: the entry itself is opened, where its parent is now.
MoveStatus FakeMoveFileSystem::listInside(const platform::HeldFolder* parent,
                                          const std::wstring& name,
                                          std::unique_ptr<platform::HeldFolder>& held,
                                          std::vector<platform::FolderEntry>& entries) {
  struct Opened final : platform::HeldFolder {
    std::wstring real;
  };
  const std::wstring path =
      parent ? joinPath(static_cast<const Opened*>(parent)->real, name) : name;
  const Node* node = find(resolve(path, false));
  if (node && node->kind != EntryKind::Folder) {
    return MoveStatus{MoveStatus::Code::Changed, L"no folder now: " + path, path};
  }
  auto opened = std::make_unique<Opened>();
  opened->real = resolve(path, true);
  const MoveStatus status = list(path, entries);
  if (status.ok()) held = std::move(opened);
  return status;
}

bool FakeMoveFileSystem::refuses(const std::wstring& path) const {
  return !refusing_.empty() && parentOf(resolve(path, false)) == refusing_;
}

namespace {
MoveStatus noRights() { return {MoveStatus::Code::NoRights, L"access denied", {}}; }
MoveStatus scanned(const std::wstring& path) {
  return {MoveStatus::Code::InUse, L"sharing violation", path};
}
}  // namespace

MoveStatus FakeMoveFileSystem::rename(const std::wstring& from, const std::wstring& to) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(from, true)) return *changed;
  if (auto changed = changedBelowHeld(to, false)) return *changed;
  if (refuses(from) || refuses(to)) return noRights();
  const std::wstring source = resolve(from, false);
  const std::wstring target = resolve(to, false);
  if (!nodes_.count(source)) return failed(L"not found: " + from);
  if (exists(target)) return failed(L"exists: " + to);
  if (!isFolder(parentOf(target))) return failed(L"no parent: " + to);
  if (volumeOf(source) != volumeOf(target)) return failed(L"another volume: " + to);
  if (isBelow(target, source)) return failed(L"into itself: " + to);
  if (!mayDelete(source) || !mayAddTo(parentOf(target))) return noRights();
  if (scannerHolds(source)) return scanned({});
  if (!heldOpen_.empty() && isBelow(heldOpen_, source)) {
    if (held_ == Held::AgainstRename) return scanned(heldOpen_);
    heldOpen_ = target + heldOpen_.substr(source.size());  // the open file goes along
  }
  moveTree(source, target);
  unflushedRenames_.emplace_back(source, target);
  return MoveStatus::success();
}

void FakeMoveFileSystem::moveTree(const std::wstring& from, const std::wstring& to) {
  std::map<std::wstring, Node, std::less<>> moved;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == from || isBelow(it->first, from)) {
      moved[to + it->first.substr(from.size())] = std::move(it->second);
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  nodes_.merge(moved);
  indexLinks();
  touchParent(from);
  touchParent(to);
}

MoveStatus FakeMoveFileSystem::flushRename(const std::wstring& path) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  if (!at(path)) return failed(L"not found: " + path);
  flushVolumeOf(path);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::makeFolder(const std::wstring& path, bool isPrivate) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, false)) return *changed;
  if (exists(path)) return failed(L"exists: " + path);
  if (!isFolder(parentOf(path))) return failed(L"no parent: " + path);
  if (!mayAddTo(parentOf(path))) return noRights();
  Node folder{EntryKind::Folder, {}, 0, {++now_, ++now_}, {}};
  folder.isPrivate = isPrivate;
  put(path, folder);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::createFolder(const std::wstring& path) {
  return makeFolder(path, false);
}

MoveStatus FakeMoveFileSystem::createPrivateFolder(const std::wstring& path) {
  MoveStatus made = makeFolder(path, true);
  if (made.ok()) ++privateFolders_;
  return made;
}

MoveStatus FakeMoveFileSystem::copyFile(const std::wstring& from, const std::wstring& to,
                                        const platform::CopyProgress& progress) {
  const Fault fault = next();
  if (auto changed = changedBelowHeld(from, false)) return *changed;
  if (auto changed = changedBelowHeld(to, false)) return *changed;
  const Node* source = at(from);
  if (!source || source->kind != EntryKind::File) return failed(L"not a file: " + from);
  if (exists(to)) return failed(L"exists: " + to);
  if (!isFolder(parentOf(to))) return failed(L"no parent: " + to);
  if (!mayAddTo(parentOf(to))) return noRights();
  Volume* volume = volumeOf(to);
  const Node original = *source;
  if (!volume ||
      volume->freeBytes < move::spaceTaken(original.content.size(), volume->clusterBytes)) {
    return failed(L"disk full: " + to);
  }
  if (held_ == Held::AgainstCopy && resolve(from, false) == heldOpen_) {
    return {MoveStatus::Code::InUse, L"sharing violation", from};
  }
  if (fault != Fault::None) {
    // Cut short: half a file, as a power cut would leave it.
    put(to, {EntryKind::File,
             original.content.substr(0, original.content.size() / 2),
             0,
             {++now_, ++now_},
             {}});
    nodes_.at(resolve(to, false)).unflushed = true;
    if (fault == Fault::Crash) crash();
    return injected();
  }
  constexpr std::size_t kChunk = 3;
  for (std::size_t done = 0; done < original.content.size();) {
    done = std::min(done + kChunk, original.content.size());
    if (!progress(done)) return MoveStatus::cancelled();
  }
  std::wstring copied = original.content;
  if (damageCopies_ && !copied.empty()) copied.pop_back();
  Node copy{EntryKind::File,
            copied,
            original.attributes,
            {++now_, keptTime(to, original.times.lastWrite)},
            {},
            true};
  copy.streams = original.streams && volume->keepsStreams;
  copy.target = original.target;  // a file symbolic link is copied as a link
  copy.tag = original.tag;
  put(to, copy);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::finishCopy(const std::wstring& from, const std::wstring& to,
                                          const platform::EntryTimes& times, bool withSecurity,
                                          const platform::StillWaiting&) {
  // Finished in flight, as the system's copies are: a failure is told by every later finishCopy
  // and by settleCopies, and the copies handed over meanwhile are left unfinished.
  if (auto fault = injectedFault()) {
    if (!lateFailure_) lateFailure_ = *fault;
    return MoveStatus::success();
  }
  if (lateFailure_) return *lateFailure_;
  if (auto changed = changedBelowHeld(to, false)) return *changed;
  const Node* source = at(from);
  Node* node = at(to);
  if (!source || !node || node->kind != EntryKind::File) return failed(L"not a file: " + to);
  // One opening for writing, made before the DACL changes: the copy's own.
  node->times = {times.creation, keptTime(to, times.lastWrite)};
  if (withSecurity) {
    if (MoveStatus given = giveSecurity(*source, to); !given.ok()) {
      lateFailure_ = given;
      return MoveStatus::success();
    }
  }
  // Its flush in flight: on the disk once settled.
  unsettled_.push_back(to);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::settleCopies(const platform::StillWaiting& waiting) {
  // A failed or cancelled settle leaves every copy in flight as it was: in the cache.
  const std::vector<std::wstring> settling = std::exchange(unsettled_, {});
  const std::optional<MoveStatus> late = std::exchange(lateFailure_, std::nullopt);
  if (auto fault = injectedFault()) return *fault;
  if (!settling.empty() && !waiting()) return MoveStatus::cancelled();
  for (const std::wstring& path : settling) {
    if (Node* node = at(path)) {
      node->unflushed = false;
      flushVolumeOf(path);
    }
  }
  return late ? *late : MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::copySecurity(const std::wstring& from, const std::wstring& to,
                                            bool) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(to, true)) return *changed;
  const Node* source = at(from);
  Node* node = at(to);
  if (!source || !node) return failed(L"not found: " + to);
  if (MoveStatus given = giveSecurity(*source, to); !given.ok()) return given;
  node->isPrivate = false;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::reclaim(const std::wstring& path) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  Node* node = at(path);
  if (!node) return failed(L"not found: " + path);
  // Taking ownership of what another owns and whose DACL grants only reading needs WRITE_OWNER,
  // which only the restore (or take-ownership) privilege gives.
  if (!mayWritePermissions(path) && !restorePrivilege_) return noRights();
  node->readOnlyAcl = false;
  node->security = L"reclaimed";
  node->owner.clear();
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::setAttributes(const std::wstring& path, std::uint32_t attributes) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  Node* node = at(path);
  if (!node) return failed(L"not found: " + path);
  if (!mayChange(path)) return noRights();
  node->attributes = attributes & ~(0x10u | platform::kAttributeLink);
  if (node->kind == EntryKind::Link) node->attributes |= platform::kAttributeLink;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::setTimes(const std::wstring& path,
                                        const platform::EntryTimes& times) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  Node* node = at(path);
  if (!node) return failed(L"not found: " + path);
  if (!mayChange(path)) return noRights();
  node->times = {times.creation, keptTime(path, times.lastWrite)};
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::measureTimeStep(const std::wstring& folder, std::uint64_t& step) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(folder, false)) return *changed;
  if (!isFolder(folder)) return failed(L"not a folder: " + folder);
  const Volume* volume = volumeOf(folder);
  step = volume->measuredStep ? volume->measuredStep : volume->timeStep;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::readLink(const std::wstring& link, std::wstring& target) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(link, true)) return *changed;
  const Node* node = at(link);
  if (!node || node->target.empty()) return failed(L"not a link: " + link);
  // As the Win32 seam refuses a volume's mount point.
  if (node->target.starts_with(L"\\\\?\\Volume{")) return failed(L"volume mount point: " + link);
  target = node->target;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::putLinkCopy(const std::wstring& from, const std::wstring& to,
                                           const std::wstring* target) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(from, true)) return *changed;
  if (auto changed = changedBelowHeld(to, false)) return *changed;
  const Node* node = at(from);
  if (!node || node->target.empty()) return failed(L"not a link: " + from);
  if (exists(to)) return failed(L"exists: " + to);
  if (!isFolder(parentOf(to))) return failed(L"no parent: " + to);
  if (!mayAddTo(parentOf(to))) return noRights();
  if (isFatVolume(to)) return failed(L"no reparse points here: " + to);
  if (node->tag == platform::kTagSymbolicLink && !symbolicLinksAllowed_) {
    return failed(L"privilege not held: " + to);
  }
  if (makeNoLinks_) return MoveStatus::success();
  Node copy = *node;
  copy.times = {++now_, ++now_};
  if (!restorePrivilege_) copy.owner.clear();
  if (target) copy.target = *target;
  copy.unflushed = true;
  put(to, copy);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::copyLink(const std::wstring& from, const std::wstring& to) {
  return putLinkCopy(from, to, nullptr);
}

MoveStatus FakeMoveFileSystem::copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                                 const std::wstring& target) {
  return putLinkCopy(from, to, &target);
}

MoveStatus FakeMoveFileSystem::nameCount(const std::wstring& file, std::uint32_t& names) {
  if (auto fault = injectedFault()) return *fault;
  const Node* node = find(file);
  if (!node || node->kind != platform::EntryKind::File) return failed(L"no file: " + file);
  names = node->names;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::hasStreams(const std::wstring& file, bool& has) {
  if (auto fault = injectedFault()) return *fault;
  ++streamQueries_;
  const Node* node = find(file);
  if (!node || node->kind != platform::EntryKind::File) return failed(L"no file: " + file);
  has = node->streams;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::canMakeSymbolicLinks(bool& can) {
  if (auto fault = injectedFault()) return *fault;
  can = symbolicLinksAllowed_;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::makeLink(const std::wstring& link, const std::wstring& target) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(link, false)) return *changed;
  if (refuses(link)) return noRights();
  if (exists(link)) return failed(L"exists: " + link);
  if (isFatVolume(link)) return failed(L"no reparse points here: " + link);
  if (!isFolder(parentOf(link))) return failed(L"no parent: " + link);
  if (!mayAddTo(parentOf(link))) return noRights();
  if (makeNoLinks_) return MoveStatus::success();
  put(link, {EntryKind::Link,
             {},
             platform::kAttributeLink,
             {++now_, ++now_},
             target,
             true,
             platform::kTagMountPoint});
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::flushLink(const std::wstring& link) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(link, true)) return *changed;
  const Node* node = at(link);
  if (!node || node->target.empty()) return failed(L"not a link: " + link);
  flushVolumeOf(link);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::removeLink(const std::wstring& link) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(link, true)) return *changed;
  if (refuses(link)) return noRights();
  const Node* node = at(link);
  if (!node || node->kind != EntryKind::Link) return failed(L"not a link: " + link);
  if (!mayDelete(link)) return noRights();
  if (scannerHolds(link)) return scanned({});
  erase(link);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::sameFolder(const std::wstring& a, const std::wstring& b,
                                          bool& same) {
  if (auto fault = injectedFault()) return *fault;
  same = isFolder(a) && isFolder(b) && resolve(a, true) == resolve(b, true);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::deleteFile(const std::wstring& path) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, false)) return *changed;
  const Node* node = at(path);
  if (!node || node->kind != EntryKind::File) return failed(L"not a file: " + path);
  if (!mayDelete(path)) return noRights();
  if (scannerHolds(path)) return scanned({});
  erase(path);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::removeEmptyFolder(const std::wstring& path) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, false)) return *changed;
  const Node* node = at(path);
  if (!node || node->kind != EntryKind::Folder) return failed(L"not a folder: " + path);
  if (hasChildren(resolve(path, false))) return failed(L"not empty: " + path);
  if (!mayDelete(path)) return noRights();
  if (scannerHolds(path)) return scanned({});
  erase(path);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::volumeInfo(const std::wstring& path, platform::VolumeInfo& info) {
  if (auto fault = injectedFault()) return *fault;
  const std::wstring real = resolve(path, true);
  const Volume* volume = volumeOf(real);
  if (!volume) return failed(L"no volume: " + path);
  // Named as the Win32 side names it: the 64-bit serial tells clones apart.
  info = {platform::volumeIdentity({.serial64 = volume->serial64,
                                    .serial32 = volume->shortSerial,
                                    .root = std::wstring(1, real[0])}),
          volume->network,
          volume->freeBytes,
          volume->fileSystem,
          volume->clusterBytes,
          volume->keepsSecurity,
          volume->keepsStreams,
          volume->keepsSparse,
          volume->keepsCompression};
  return MoveStatus::success();
}

void FakeMoveFileSystem::letGo() { heldFolders_.clear(); }

MoveStatus FakeMoveFileSystem::hold(const std::wstring& folder, std::wstring& finalPath) {
  if (auto fault = injectedFault()) return *fault;
  if (!isFolder(folder)) return failed(L"not a folder: " + folder);
  finalPath = resolve(folder, true);
  if (std::find(heldFolders_.begin(), heldFolders_.end(), finalPath) == heldFolders_.end()) {
    heldFolders_.push_back(finalPath);
  }
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::canKeepOwners(bool& can) {
  if (auto fault = injectedFault()) return *fault;
  can = restorePrivilege_;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::ownedByOther(const std::wstring& path, bool& other) {
  if (auto fault = injectedFault()) return *fault;
  if (auto changed = changedBelowHeld(path, true)) return *changed;
  const Node* node = at(path);
  if (!node) return failed(L"not found: " + path);
  other = !node->owner.empty();
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::writeJournal(const std::wstring& path, const std::wstring& text) {
  if (auto fault = injectedFault()) return *fault;
  if (!isFolder(parentOf(path))) addFolder(parentOf(path));
  put(path, {EntryKind::File, text, 0, {++now_, ++now_}, {}});
  // Written through: its volume's log with it, nothing of any other volume.
  flushVolumeOf(path);
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::readJournal(const std::wstring& path, std::wstring& text) {
  if (auto fault = injectedFault()) return *fault;
  const Node* node = at(path);
  if (!node || node->kind != EntryKind::File) return failed(L"no journal: " + path);
  text = node->content;
  return MoveStatus::success();
}

MoveStatus FakeMoveFileSystem::deleteJournal(const std::wstring& path) {
  if (auto fault = injectedFault()) return *fault;
  if (at(path)) erase(path);
  return MoveStatus::success();
}

}  // namespace mirafold::fakes
