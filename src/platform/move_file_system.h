#pragma once
// The file operations a folder move needs, and nothing more. Every call reports by its return
// value; none follows a link unless it says so. Paths are plain absolute paths ("C:\x\y"); an
// implementation adds whatever long-path form its system wants.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirafold::platform {

// Attribute bits, with the values Windows gives them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeFolder = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeSparse = 0x200;
inline constexpr std::uint32_t kAttributeLink = 0x400;
inline constexpr std::uint32_t kAttributeCompressed = 0x800;
// A cloud file whose contents are not (all) on this PC: opening or reading it downloads them.
inline constexpr std::uint32_t kAttributeRecallOnOpen = 0x40000;
inline constexpr std::uint32_t kAttributeRecallOnDataAccess = 0x400000;

enum class EntryKind { Missing, File, Folder, Link };

// Times in 100 ns units since 1601, as Windows keeps them.
struct EntryTimes {
  std::uint64_t creation = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const EntryTimes&) const = default;
};

struct EntryInfo {
  EntryKind kind = EntryKind::Missing;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;  // files only
  EntryTimes times;
  // A cloud provider's placeholder: copying it would download it, deleting it would delete it
  // from the cloud and from every other PC.
  bool cloudPlaceholder = false;
  std::uint32_t reparseTag = 0;  // of a link: what kind it is (0 for Wine's host links)

  // One file's number on its volume, the same for each of its names (hard links); 0 where the
  // listing does not tell.
  std::uint64_t fileId = 0;
  // A file's room on the disk (whole clusters; of a compressed or sparse file, what it really
  // takes); 0 where the listing does not tell.
  std::uint64_t allocated = 0;
};

// A listing carries what the search found of each entry, so that walking a tree costs one
// listing per folder and no query per file.
struct FolderEntry {
  std::wstring name;
  EntryInfo info;
};

struct VolumeInfo {
  std::wstring id;  // equal for two paths on the same volume, whatever the path spelling
  bool network = false;
  std::uint64_t freeBytes = 0;
  std::wstring fileSystem;         // as the system names it: "NTFS", "FAT32", "exFAT", ...
  std::uint64_t clusterBytes = 1;  // the unit a file's space is taken in
  bool keepsSecurity = true;       // owners and permissions (NTFS, ReFS; not FAT, exFAT)
  bool keepsStreams = true;        // FILE_NAMED_STREAMS
  bool keepsSparse = true;         // FILE_SUPPORTS_SPARSE_FILES
  bool keepsCompression = true;    // FILE_FILE_COMPRESSION
};

struct MoveStatus {
  // NoRights: refused for want of rights, which administrator rights would give.
  // Changed: an entry is not what it was when it was listed or checked (it became a link, another
  // folder, or appeared): the move stops whole and says so; nothing is retried.
  enum class Code { Ok, Failed, InUse, Cancelled, NoRights, Changed };
  Code code = Code::Ok;
  std::wstring reason;  // the system's words, one line, when not Ok
  std::wstring path;    // InUse: the file held open, when the system can name it

  bool ok() const { return code == Code::Ok; }
  static MoveStatus success() { return {}; }
  static MoveStatus failure(std::wstring why) { return {Code::Failed, std::move(why), {}}; }
  static MoveStatus cancelled() { return {Code::Cancelled, {}, {}}; }
};

// A folder kept open while a walk is below it: what is opened inside it is looked up in it by
// name, never again along a path that may have been changed since it was listed.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;
};

// A folder's entries, which is all a walk of a tree needs.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The folder's entries with their kind, attributes, size and times, "." and ".." left out,
  // links reported as links and not entered.
  virtual MoveStatus list(const std::wstring& folder, std::vector<FolderEntry>& entries) = 0;
  // The same for the folder named `name` inside `parent` (without a parent, `name` is a whole
  // path), which is opened itself, never what a link there leads to, and kept in `held`; the
  // name is taken as it stands ("x." is not "x"). Changed when it is no folder now (a link was
  // put in its place since `parent` was listed): it is not listed.
  virtual MoveStatus listInside(const HeldFolder* parent, const std::wstring& name,
                                std::unique_ptr<HeldFolder>& held,
                                std::vector<FolderEntry>& entries) = 0;
};

// Told the bytes of the current file copied so far; returns false to cancel the copy.
using CopyProgress = std::function<bool(std::uint64_t bytesCopied)>;
// Asked every few tens of milliseconds while a call waits for copies in flight, so that progress
// goes on being told; returns false to cancel: the copies in flight are abandoned unflushed (they
// are about to be deleted) and the call tells Cancelled.
using StillWaiting = std::function<bool()>;

class MoveFileSystem : public FolderListing {
 public:
  // The entry itself, never what a link leads to. A missing entry is a success with kind Missing.
  virtual MoveStatus inspect(const std::wstring& path, EntryInfo& info) = 0;
  virtual MoveStatus list(const std::wstring& folder,
                          std::vector<FolderEntry>& entries) override = 0;
  // Never replaces: fails when `to` exists, and between volumes.
  virtual MoveStatus rename(const std::wstring& from, const std::wstring& to) = 0;
  virtual MoveStatus createFolder(const std::wstring& path) = 0;
  // Copies contents, alternate streams, attributes and the last-write time; fails when `to`
  // exists. Cancelled when `progress` returns false; a cancelled or failed copy leaves no file.
  virtual MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                              const CopyProgress& progress) = 0;
  // Finishes `to`, the copy of `from` that copyFile has just made: its creation and last-write
  // times set to `times` (a copy is born now), its attributes `from`'s, `from`'s owner and
  // permissions given to it when `withSecurity`, and its flush to the disk begun: settleCopies()
  // says when it is done. Until then a power cut may take the copy back. The finishing may go on
  // while the next file is copied: its failure, naming its file, is told by every later
  // finishCopy (whose own copy is then left unfinished) and by settleCopies(). Waits, asking
  // `waiting`, while too many copies are in flight.
  virtual MoveStatus finishCopy(const std::wstring& from, const std::wstring& to,
                                const EntryTimes& times, bool withSecurity,
                                const StillWaiting& waiting) = 0;
  // Every copy finished since the last settle on the disk, not only in the system's cache, when
  // the call returns (several flush at once, as a file system's log commits them together); the
  // first that failed, naming its file. Called before the copy may be called complete, and before
  // a failed copy is deleted; once cancelled, returns when nothing of the copies is open.
  virtual MoveStatus settleCopies(const StillWaiting& waiting) = 0;
  // `from`'s owner and permissions given to `to`. `asRoot`: `to` inherits nothing from its new
  // parent; what `from` inherited from its own parent is written into it.
  virtual MoveStatus copySecurity(const std::wstring& from, const std::wstring& to,
                                  bool asRoot) = 0;
  // How many names (hard links) the file has; a listing does not tell, so it costs an opening.
  virtual MoveStatus nameCount(const std::wstring& file, std::uint32_t& names) = 0;
  virtual MoveStatus setAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
  virtual MoveStatus setTimes(const std::wstring& path, const EntryTimes& times) = 0;
  // The step, in 100 ns units (1: exact), in which `folder`'s volume keeps a last-write time:
  // a probe time is set on `folder` and read back, then its own times are put back.
  virtual MoveStatus measureTimeStep(const std::wstring& folder, std::uint64_t& step) = 0;

  // Links (junctions): their target as stored, a new one, the removal of the link alone.
  virtual MoveStatus readLink(const std::wstring& link, std::wstring& target) = 0;
  // `to` made a link of `from`'s own kind with its own target as stored: a relative symbolic link
  // stays a relative symbolic link. Fails when `to` exists.
  virtual MoveStatus copyLink(const std::wstring& from, const std::wstring& to) = 0;
  // `to` made as `copyLink` makes it, leading to `target` (a plain absolute path) instead of
  // `from`'s own relative target: a relative symbolic link that leads out of the moved tree
  // would lead elsewhere from the copy's place.
  virtual MoveStatus copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                       const std::wstring& target) = 0;
  // This process may make symbolic links: it holds the privilege, or Windows is in developer mode.
  virtual MoveStatus canMakeSymbolicLinks(bool& can) = 0;
  virtual MoveStatus makeLink(const std::wstring& link, const std::wstring& target) = 0;
  virtual MoveStatus removeLink(const std::wstring& link) = 0;
  // The link at `link` on the disk, not only in the system's cache, when the call returns: a power
  // cut after it cannot take the link back. Writing the journal flushes only the journal's volume.
  // (FlushFileBuffers on the link itself, opened without following it, commits NTFS's log up to
  // it; where the system refuses that, only the volume's flush would do, which needs
  // administrator rights.)
  virtual MoveStatus flushLink(const std::wstring& link) = 0;
  // The rename that gave the entry at `path` its name on the disk when the call returns, so that
  // the journal may move past it: a power cut after it cannot take the rename back. (The folder
  // holding the entry, flushed, commits NTFS's log up to the rename; where the system refuses
  // that, the volume's flush, which only administrators may ask for.)
  virtual MoveStatus flushRename(const std::wstring& path) = 0;
  // This process may give a copy an owner other than itself (it holds the restore privilege, as
  // the elevated helper does); without it every copy belongs to the mover.
  virtual MoveStatus canKeepOwners(bool& can) = 0;
  // Both paths, links followed, name the same existing folder.
  virtual MoveStatus sameFolder(const std::wstring& a, const std::wstring& b, bool& same) = 0;

  // Even a read-only file or folder.
  virtual MoveStatus deleteFile(const std::wstring& path) = 0;
  virtual MoveStatus removeEmptyFolder(const std::wstring& path) = 0;

  virtual MoveStatus volumeInfo(const std::wstring& path, VolumeInfo& info) = 0;

  // Opens `folder` once, links on the way followed, and holds it for the rest of this file
  // system's life; every later path at or below it is reached from that handle, nothing below it
  // followed. `finalPath` is where the folder really is (GetFinalPathNameByHandleW, plain form
  // "C:\x"), for the caller to check against its plan and its rules. Holding it again returns the
  // same.
  virtual MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) = 0;
  // Every held folder let go: the move that held them has ended. Held past it, they would stand in
  // the way of renaming the folders above them, and a later move would find them where they were.
  virtual void letGo() = 0;
  // `path` made as a folder that nobody but this process's user, SYSTEM and the administrators can
  // change (a protected DACL, inherited by what is made inside), so nothing is added to a copy
  // meanwhile; its final owner and permissions still come from copySecurity at the end.
  virtual MoveStatus createPrivateFolder(const std::wstring& path) = 0;
  // An entry the move made itself, given back to this process (as owner it may rewrite the DACL)
  // so that it can be deleted: the way out of a copied DACL that denies DELETE.
  virtual MoveStatus reclaim(const std::wstring& path) = 0;
  // The file has named data streams besides its contents (costs an opening; asked only when the
  // destination cannot keep them).
  virtual MoveStatus hasStreams(const std::wstring& file, bool& has) = 0;

  // The journal: written whole and flushed to the disk before the call returns, or not at all;
  // its folder is created when missing. Deleting a missing journal succeeds.
  virtual MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) = 0;
  virtual MoveStatus readJournal(const std::wstring& path, std::wstring& text) = 0;
  virtual MoveStatus deleteJournal(const std::wstring& path) = 0;

  // The entry belongs to someone other than the owner this process gives what it makes (another
  // user, SYSTEM, TrustedInstaller): a copy of it keeps that owner only where canKeepOwners()
  // says so, else it becomes the mover's. Costs an opening; asked only when an owner would be lost.
  virtual MoveStatus ownedByOther(const std::wstring& path, bool& other) = 0;
};

}  // namespace mirafold::platform
