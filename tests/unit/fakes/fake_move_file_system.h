#pragma once
// An in-memory file system for the move engine: files with contents, folders, attributes, times,
// links and volumes with free space. Every call is one operation, numbered from 0; one of them
// can be made to fail, or to "crash": throw SimulatedCrash so that the engine stops dead there.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

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
  };

  // Set-up, not counted as operations. Entries made here get permissions of their own, named
  // after their path.
  void addVolume(wchar_t letter) { addVolume(letter, Volume{}); }
  void addVolume(wchar_t letter, Volume volume);
  void addFolder(const std::wstring& path, std::uint32_t attributes = 0);
  void addFile(const std::wstring& path, const std::wstring& content, std::uint32_t attributes = 0);
  void addLink(const std::wstring& path, const std::wstring& target,
               std::uint32_t tag = 0xA0000003);  // a junction unless told
  // The file has this many names (hard links).
  void giveNames(const std::wstring& file, std::uint32_t names) { at(file)->names = names; }

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
  platform::MoveStatus rename(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus createFolder(const std::wstring& path) override;
  platform::MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                                const platform::CopyProgress& progress) override;
  platform::MoveStatus finishCopy(const std::wstring& from, const std::wstring& to,
                                  const platform::EntryTimes& times, bool withSecurity) override;
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
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) override {
    finalPath = folder;
    return platform::MoveStatus::success();
  }
  platform::MoveStatus createPrivateFolder(const std::wstring& path) override {
    return createFolder(path);
  }
  platform::MoveStatus reclaim(const std::wstring&) override {
    return platform::MoveStatus::success();
  }
  platform::MoveStatus hasStreams(const std::wstring&, bool& has) override {
    has = false;
    return platform::MoveStatus::success();
  }
  platform::MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) override;
  platform::MoveStatus readJournal(const std::wstring& path, std::wstring& text) override;
  platform::MoveStatus deleteJournal(const std::wstring& path) override;

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
  bool symbolicLinksAllowed_ = true;
};

}  // namespace mirafold::fakes
