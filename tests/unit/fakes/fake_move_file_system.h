#pragma once
// An in-memory file system for the move engine: files with contents, folders, attributes, times,
// links and volumes with free space. Every call is one operation, numbered from 0; one of them
// can be made to fail, or to "crash": throw SimulatedCrash so that the engine stops dead there.
//
// It keeps the rules Windows documents where they bear on a move: a crash is a power cut, which
// takes back a link or a rename not yet flushed (writing a file through flushes only its own
// volume's log) and cuts short a finished copy whose flush is still in flight (until
// settleCopies); a DACL that grants this process only reading leaves its owner READ_CONTROL and
// WRITE_DAC, no right to set times or attributes, to add entries or to delete; below a held folder
// no link is followed (Changed); an adversary may act between a listing and the next operation.
// Owners: only a process with the restore privilege gives an entry an owner other than itself, and
// only an owner has WRITE_DAC whatever the DACL says. FAT and exFAT keep no links, streams or
// security, FAT's write times in 2 s, and their names ignore case. Volumes are told apart by their
// 64-bit serial: two may share the 32-bit one, as cloned disks do.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/move_file_system.h"

namespace mirafold::fakes {

struct SimulatedCrash {};

class FakeMoveFileSystem final : public platform::MoveFileSystem {
 public:
  struct Node {
    platform::EntryKind kind = platform::EntryKind::Missing;
    std::wstring content;  // a file's bytes, one a character
    std::uint32_t attributes = 0;
    platform::EntryTimes times;
    std::wstring target;      // a link's
    bool unflushed = false;   // a copy still in the cache: a power cut cuts it short
    std::uint32_t tag = 0;    // a link's reparse tag
    std::wstring security;    // owner and permissions, as a name; a new entry has none of its own
    std::uint32_t names = 1;  // a file's hard links
    // The DACL grants this process reading only (copied with `security`).
    bool readOnlyAcl = false;
    bool isPrivate = false;    // made by createPrivateFolder: nobody else may add to it
    bool streams = false;      // a file's named data streams
    std::wstring owner;        // none: this process's user; else another (SYSTEM, TrustedInstaller)
    std::uint64_t fileId = 0;  // as a listing reports it; names of one file share it
  };
  struct Volume {
    bool network = false;
    std::uint64_t freeBytes = 1u << 30;
    std::wstring fileSystem = L"NTFS";
    std::uint64_t clusterBytes = 1;  // files take their space in these
    std::uint64_t timeStep = 1;      // last-write times are cut to this step
    // What the probe of the time step finds: a name that says NTFS on a coarser volume, as
    // under Wine, or a file system that rounds where the probe looks for a cut.
    std::uint64_t measuredStep = 0;  // 0: the step itself
    bool keepsSecurity = true;
    bool keepsStreams = true;
    bool keepsSparse = true;
    bool keepsCompression = true;
    // The 32-bit serial GetVolumeInformationW gives; cloned disks share it.
    std::uint32_t shortSerial = 0;
    std::uint64_t serial64 = 0;  // FILE_ID_INFO's; 0: one of its own
  };

  // Set-up, not counted as operations. Entries made here get permissions of their own, named
  // after their path.
  void addVolume(wchar_t letter) { addVolume(letter, Volume{}); }
  void addVolume(wchar_t letter, Volume volume);
  void addFolder(const std::wstring& path, std::uint32_t attributes = 0);
  void addFile(const std::wstring& path, const std::wstring& content, std::uint32_t attributes = 0);
  void addLink(const std::wstring& path, const std::wstring& target,
               std::uint32_t tag = 0xA0000003);  // a junction unless told
  // A file symbolic link: a file to a listing, a link to readLink and to a copy.
  void addFileLink(const std::wstring& path, const std::wstring& target);
  // Its DACL grants this process only reading.
  void grantOnlyReading(const std::wstring& path) { at(path)->readOnlyAcl = true; }
  void giveStreams(const std::wstring& file) { at(file)->streams = true; }
  // The file has this many names (hard links).
  void giveNames(const std::wstring& file, std::uint32_t names) { at(file)->names = names; }
  void giveOwner(const std::wstring& path, const std::wstring& owner) { at(path)->owner = owner; }
  // A process without the restore privilege (not elevated): its copies are its own.
  void withoutRestorePrivilege() { restorePrivilege_ = false; }

  // The listing reports this number for the file: two files of one number are names of one.
  void giveFileId(const std::wstring& file, std::uint64_t id) { at(file)->fileId = id; }

  // The path with every link on the way replaced by its target; the last part too when asked.
  std::wstring resolve(const std::wstring& path, bool followLast) const;
  const Node* find(const std::wstring& path) const;
  const std::map<std::wstring, Node, std::less<>>& nodes() const { return nodes_; }
  std::uint64_t freeBytes(wchar_t letter) const { return volumes_.at(letter).freeBytes; }

  // Another program holds this file open without sharing. As Windows has it, renaming a folder
  // above it fails; as Wine has it, the rename goes through (the file goes along) and copying the
  // file fails.
  enum class Held { AgainstRename, AgainstCopy };
  void holdOpen(const std::wstring& path, Held how = Held::AgainstRename) {
    heldOpen_ = path;
    held_ = how;
  }

  // The folder refuses renames of its entries and links made or removed in it (NoRights), as
  // C:\Program Files does to a user without administrator rights.
  void refuseChangesIn(const std::wstring& folder) { refusing_ = folder; }

  // Copies come out one character short, as a copy the disk mangled would.
  void damageCopies() { damageCopies_ = true; }

  // A scanner opens every fresh entry for a moment: the first rename or deletion of each path is
  // refused (InUse), the next goes through.
  void scanEntries() { scanning_ = true; }

  // Between the `listing`th listing (counted from 0) and the next operation another program:
  enum class Attack {
    None,
    // turns the listed folder's first child folder into a link to `victim` (the child kept aside
    // in C:\Stash),
    LinkToVictim,
    // or adds a file to the copy being made, "<final>.mirafold-partial".
    AddToCopy,
  };
  void attack(Attack kind, long listing, const std::wstring& victim = {}) {
    attack_ = kind, attackAt_ = listing, victim_ = victim;
  }
  bool attacked() const { return attacked_; }
  long listings() const { return listings_; }
  // Folders made private by createPrivateFolder, and stream queries, since the start.
  long privateFoldersMade() const { return privateFolders_; }
  long streamQueries() const { return streamQueries_; }

  // As Wine's CreateSymbolicLinkW does: links are reported made, and none appears.
  void makeNoLinks() { makeNoLinks_ = true; }
  // A process without the privilege to make symbolic links, outside developer mode.
  void mayNotMakeSymbolicLinks() { symbolicLinksAllowed_ = false; }

  // Entries of a hidden original ("<name>.mirafold-moving") deleted while a copy was not yet
  // flushed: each one a file a power cut could have lost in both places.
  long deletedBeforeFlush() const { return deletedBeforeFlush_; }

  long operations() const { return operations_; }
  void failAt(long operation) { failAt_ = operation; }
  void crashAt(long operation) { crashAt_ = operation; }
  void resetFaults() { operations_ = 0, failAt_ = -1, crashAt_ = -1; }

  platform::MoveStatus inspect(const std::wstring& path, platform::EntryInfo& info) override;
  platform::MoveStatus list(const std::wstring& folder,
                            std::vector<platform::FolderEntry>& entries) override;
  platform::MoveStatus listInside(const platform::HeldFolder* parent, const std::wstring& name,
                                  std::unique_ptr<platform::HeldFolder>& held,
                                  std::vector<platform::FolderEntry>& entries) override;
  platform::MoveStatus rename(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus createFolder(const std::wstring& path) override;
  platform::MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                                const platform::CopyProgress& progress) override;
  platform::MoveStatus finishCopy(const std::wstring& from, const std::wstring& to,
                                  const platform::EntryTimes& times, bool withSecurity,
                                  const platform::StillWaiting& waiting) override;
  platform::MoveStatus copySecurity(const std::wstring& from, const std::wstring& to,
                                    bool asRoot) override;
  platform::MoveStatus setAttributes(const std::wstring& path, std::uint32_t attributes) override;
  platform::MoveStatus setTimes(const std::wstring& path,
                                const platform::EntryTimes& times) override;
  platform::MoveStatus measureTimeStep(const std::wstring& folder, std::uint64_t& step) override;
  platform::MoveStatus readLink(const std::wstring& link, std::wstring& target) override;
  platform::MoveStatus copyLink(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus canMakeSymbolicLinks(bool& can) override;
  platform::MoveStatus nameCount(const std::wstring& file, std::uint32_t& names) override;
  platform::MoveStatus makeLink(const std::wstring& link, const std::wstring& target) override;
  platform::MoveStatus removeLink(const std::wstring& link) override;
  platform::MoveStatus sameFolder(const std::wstring& a, const std::wstring& b,
                                  bool& same) override;
  platform::MoveStatus deleteFile(const std::wstring& path) override;
  platform::MoveStatus removeEmptyFolder(const std::wstring& path) override;
  platform::MoveStatus volumeInfo(const std::wstring& path, platform::VolumeInfo& info) override;
  platform::MoveStatus canKeepOwners(bool& can) override;
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) override;
  void letGo() override;
  bool holdsAny() const { return !heldFolders_.empty(); }
  platform::MoveStatus createPrivateFolder(const std::wstring& path) override;
  platform::MoveStatus reclaim(const std::wstring& path) override;
  platform::MoveStatus hasStreams(const std::wstring& file, bool& has) override;
  platform::MoveStatus copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                         const std::wstring& target) override;
  platform::MoveStatus flushLink(const std::wstring& link) override;
  platform::MoveStatus flushRename(const std::wstring& path) override;
  platform::MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) override;
  platform::MoveStatus readJournal(const std::wstring& path, std::wstring& text) override;
  platform::MoveStatus deleteJournal(const std::wstring& path) override;
  platform::MoveStatus ownedByOther(const std::wstring& path, bool& other) override;
  platform::MoveStatus settleCopies(const platform::StillWaiting& waiting) override;

 private:
  enum class Fault { None, Fail, Crash };
  Fault next();
  // Counts the operation; a failure to return, or a crash thrown.
  std::optional<platform::MoveStatus> injectedFault();
  Node* at(const std::wstring& path);
  bool isFolder(const std::wstring& path) const;
  bool hasChildren(const std::wstring& path) const;
  void touchParent(const std::wstring& path);
  Volume* volumeOf(const std::wstring& path);
  // The time as the volume of `path` keeps it.
  std::uint64_t keptTime(const std::wstring& path, std::uint64_t time);
  void put(const std::wstring& path, Node node);
  void erase(const std::wstring& path);
  // A crash is taken for a power cut: what was not flushed is cut short.
  [[noreturn]] void crash();

  void indexLinks();
  // Links not yet flushed on the volume of `path` flushed: its log is written in order.
  void flushVolumeOf(const std::wstring& path);
  // Everything at and below `from` put at `to`.
  void moveTree(const std::wstring& from, const std::wstring& to);
  // Changed when a part of `path` below a held folder is a link (the last part too unless
  // `lastMayBeLink`).
  std::optional<platform::MoveStatus> changedBelowHeld(const std::wstring& path,
                                                       bool lastMayBeLink) const;
  // Refused for want of rights: adding to `parent`, changing `path`, deleting or renaming `path`.
  bool mayAddTo(const std::wstring& parent) const;
  bool mayChange(const std::wstring& path) const;
  bool mayDelete(const std::wstring& path) const;
  // WRITE_DAC: the owner has it implicitly, others only by the DACL.
  bool mayWritePermissions(const std::wstring& path) const;
  // `source`'s security given to `copy`: its owner only with the restore privilege (without it
  // SetSecurityInfo refuses another owner, so the seam gives none and the copy stays the mover's).
  platform::MoveStatus giveSecurity(const Node& source, const std::wstring& copy);
  // FAT and exFAT: no reparse points, no security; an existing name matched ignoring case.
  bool isFatVolume(const std::wstring& path);
  bool exists(const std::wstring& path);
  // The scanner's moment: the first rename or deletion of `path` refused.
  bool scannerHolds(const std::wstring& path);
  void afterListing(const std::wstring& folder);
  platform::MoveStatus makeFolder(const std::wstring& path, bool isPrivate);
  platform::MoveStatus putLinkCopy(const std::wstring& from, const std::wstring& to,
                                   const std::wstring* target);

  std::map<std::wstring, Node, std::less<>> nodes_;
  std::map<std::wstring, std::wstring> links_;  // path to target: resolving asks only these
  std::map<wchar_t, Volume> volumes_;
  std::uint64_t now_ = 1000;
  long operations_ = 0;
  long failAt_ = -1;
  long crashAt_ = -1;
  std::wstring heldOpen_;
  Held held_ = Held::AgainstRename;
  bool makeNoLinks_ = false;
  std::wstring refusing_;
  bool refuses(const std::wstring& path) const;
  bool damageCopies_ = false;
  long deletedBeforeFlush_ = 0;
  // Renames not yet on the disk, oldest first, each from and to: a power cut takes them back.
  std::vector<std::pair<std::wstring, std::wstring>> unflushedRenames_;
  bool symbolicLinksAllowed_ = true;
  std::vector<std::wstring> heldFolders_;
  bool scanning_ = false;
  std::vector<std::wstring> scanned_;
  Attack attack_ = Attack::None;
  long attackAt_ = -1;
  long listings_ = 0;
  std::wstring victim_;
  bool attacked_ = false;
  long privateFolders_ = 0;
  long streamQueries_ = 0;
  bool restorePrivilege_ = true;
  std::vector<std::wstring> unsettled_;              // copies finished, their flushes in flight
  std::optional<platform::MoveStatus> lateFailure_;  // a finishing's, not told yet
};

}  // namespace mirafold::fakes
