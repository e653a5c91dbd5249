#pragma once
// The file system of a move that must be able to stop dead without its window: once stop() has
// been called, every operation fails and a copy under way is cut short. The engine then ends
// Unfinished with its journal on the disk, in the state a kill at that point would leave, which
// recovery at the next start finishes or undoes.

#include <atomic>

#include "platform/move_file_system.h"

namespace mirafold::move {

class StoppingFileSystem final : public platform::MoveFileSystem {
 public:
  explicit StoppingFileSystem(platform::MoveFileSystem& files) : files_(files) {}

  // From any thread.
  void stop() { stopped_.store(true); }
  bool stopped() const { return stopped_.load(); }

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
  platform::MoveStatus nameCount(const std::wstring& file, std::uint32_t& names) override;
  platform::MoveStatus setAttributes(const std::wstring& path, std::uint32_t attributes) override;
  platform::MoveStatus setTimes(const std::wstring& path,
                                const platform::EntryTimes& times) override;
  platform::MoveStatus measureTimeStep(const std::wstring& folder, std::uint64_t& step) override;
  platform::MoveStatus readLink(const std::wstring& link, std::wstring& target) override;
  platform::MoveStatus copyLink(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                         const std::wstring& target) override;
  platform::MoveStatus canMakeSymbolicLinks(bool& can) override;
  platform::MoveStatus makeLink(const std::wstring& link, const std::wstring& target) override;
  platform::MoveStatus removeLink(const std::wstring& link) override;
  platform::MoveStatus flushLink(const std::wstring& link) override;
  platform::MoveStatus flushRename(const std::wstring& path) override;
  platform::MoveStatus sameFolder(const std::wstring& a, const std::wstring& b,
                                  bool& same) override;
  platform::MoveStatus deleteFile(const std::wstring& path) override;
  platform::MoveStatus removeEmptyFolder(const std::wstring& path) override;
  platform::MoveStatus volumeInfo(const std::wstring& path, platform::VolumeInfo& info) override;
  platform::MoveStatus canKeepOwners(bool& can) override;
  platform::MoveStatus ownedByOther(const std::wstring& path, bool& other) override;
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) override;
  void letGo() override;
  platform::MoveStatus createPrivateFolder(const std::wstring& path) override;
  platform::MoveStatus reclaim(const std::wstring& path) override;
  platform::MoveStatus hasStreams(const std::wstring& file, bool& has) override;
  platform::MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) override;
  platform::MoveStatus readJournal(const std::wstring& path, std::wstring& text) override;
  platform::MoveStatus deleteJournal(const std::wstring& path) override;
  platform::MoveStatus settleCopies(const platform::StillWaiting& waiting) override;

 private:
  template <typename Operation>
  platform::MoveStatus unlessStopped(Operation operation);

  platform::MoveFileSystem& files_;
  std::atomic<bool> stopped_{false};
};

}  // namespace mirafold::move
