#include "move/stopping_file_system.h"

namespace mirafold::move {

using platform::MoveStatus;

template <typename Operation>
MoveStatus StoppingFileSystem::unlessStopped(Operation operation) {
  if (stopped()) return MoveStatus::failure(L"stopped");
  return operation();
}

MoveStatus StoppingFileSystem::copyFile(const std::wstring& from, const std::wstring& to,
                                        const platform::CopyProgress& progress) {
  return unlessStopped([&] {
    return files_.copyFile(from, to,
                           [&](std::uint64_t copied) { return !stopped() && progress(copied); });
  });
}

MoveStatus StoppingFileSystem::inspect(const std::wstring& path, platform::EntryInfo& info) {
  return unlessStopped([&] { return files_.inspect(path, info); });
}

MoveStatus StoppingFileSystem::list(const std::wstring& folder,
                                    std::vector<platform::FolderEntry>& entries) {
  return unlessStopped([&] { return files_.list(folder, entries); });
}

MoveStatus StoppingFileSystem::listInside(const platform::HeldFolder* parent,
                                          const std::wstring& name,
                                          std::unique_ptr<platform::HeldFolder>& held,
                                          std::vector<platform::FolderEntry>& entries) {
  return unlessStopped([&] { return files_.listInside(parent, name, held, entries); });
}

MoveStatus StoppingFileSystem::rename(const std::wstring& from, const std::wstring& to) {
  return unlessStopped([&] { return files_.rename(from, to); });
}

MoveStatus StoppingFileSystem::createFolder(const std::wstring& path) {
  return unlessStopped([&] { return files_.createFolder(path); });
}

MoveStatus StoppingFileSystem::setAttributes(const std::wstring& path, std::uint32_t attributes) {
  return unlessStopped([&] { return files_.setAttributes(path, attributes); });
}

MoveStatus StoppingFileSystem::setTimes(const std::wstring& path,
                                        const platform::EntryTimes& times) {
  return unlessStopped([&] { return files_.setTimes(path, times); });
}

MoveStatus StoppingFileSystem::finishCopy(const std::wstring& from, const std::wstring& to,
                                          const platform::EntryTimes& times, bool withSecurity,
                                          const platform::StillWaiting& waiting) {
  return unlessStopped([&] {
    return files_.finishCopy(from, to, times, withSecurity,
                             [&] { return !stopped() && waiting(); });
  });
}

MoveStatus StoppingFileSystem::settleCopies(const platform::StillWaiting& waiting) {
  // Even once stopped: what is in flight ends (abandoned), so that nothing of the copy stays open.
  MoveStatus settled = files_.settleCopies([&] { return !stopped() && waiting(); });
  return stopped() ? MoveStatus::failure(L"stopped") : settled;
}

MoveStatus StoppingFileSystem::copySecurity(const std::wstring& from, const std::wstring& to,
                                            bool asRoot) {
  return unlessStopped([&] { return files_.copySecurity(from, to, asRoot); });
}

MoveStatus StoppingFileSystem::nameCount(const std::wstring& file, std::uint32_t& names) {
  return unlessStopped([&] { return files_.nameCount(file, names); });
}

MoveStatus StoppingFileSystem::measureTimeStep(const std::wstring& folder, std::uint64_t& step) {
  return unlessStopped([&] { return files_.measureTimeStep(folder, step); });
}

MoveStatus StoppingFileSystem::copyLink(const std::wstring& from, const std::wstring& to) {
  return unlessStopped([&] { return files_.copyLink(from, to); });
}

MoveStatus StoppingFileSystem::copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                                 const std::wstring& target) {
  return unlessStopped([&] { return files_.copyLinkLeadingTo(from, to, target); });
}

MoveStatus StoppingFileSystem::canMakeSymbolicLinks(bool& can) {
  return unlessStopped([&] { return files_.canMakeSymbolicLinks(can); });
}

MoveStatus StoppingFileSystem::readLink(const std::wstring& link, std::wstring& target) {
  return unlessStopped([&] { return files_.readLink(link, target); });
}

MoveStatus StoppingFileSystem::makeLink(const std::wstring& link, const std::wstring& target) {
  return unlessStopped([&] { return files_.makeLink(link, target); });
}

MoveStatus StoppingFileSystem::removeLink(const std::wstring& link) {
  return unlessStopped([&] { return files_.removeLink(link); });
}

MoveStatus StoppingFileSystem::flushLink(const std::wstring& link) {
  return unlessStopped([&] { return files_.flushLink(link); });
}

MoveStatus StoppingFileSystem::flushRename(const std::wstring& path) {
  return unlessStopped([&] { return files_.flushRename(path); });
}

MoveStatus StoppingFileSystem::sameFolder(const std::wstring& a, const std::wstring& b,
                                          bool& same) {
  return unlessStopped([&] { return files_.sameFolder(a, b, same); });
}

MoveStatus StoppingFileSystem::deleteFile(const std::wstring& path) {
  return unlessStopped([&] { return files_.deleteFile(path); });
}

MoveStatus StoppingFileSystem::removeEmptyFolder(const std::wstring& path) {
  return unlessStopped([&] { return files_.removeEmptyFolder(path); });
}

MoveStatus StoppingFileSystem::volumeInfo(const std::wstring& path, platform::VolumeInfo& info) {
  return unlessStopped([&] { return files_.volumeInfo(path, info); });
}

MoveStatus StoppingFileSystem::canKeepOwners(bool& can) {
  return unlessStopped([&] { return files_.canKeepOwners(can); });
}

MoveStatus StoppingFileSystem::ownedByOther(const std::wstring& path, bool& other) {
  return unlessStopped([&] { return files_.ownedByOther(path, other); });
}

// Stopped or not: letting go touches nothing on the disk.
void StoppingFileSystem::letGo() { files_.letGo(); }

MoveStatus StoppingFileSystem::hold(const std::wstring& folder, std::wstring& finalPath) {
  return unlessStopped([&] { return files_.hold(folder, finalPath); });
}

MoveStatus StoppingFileSystem::createPrivateFolder(const std::wstring& path) {
  return unlessStopped([&] { return files_.createPrivateFolder(path); });
}

MoveStatus StoppingFileSystem::reclaim(const std::wstring& path) {
  return unlessStopped([&] { return files_.reclaim(path); });
}

MoveStatus StoppingFileSystem::hasStreams(const std::wstring& file, bool& has) {
  return unlessStopped([&] { return files_.hasStreams(file, has); });
}

MoveStatus StoppingFileSystem::writeJournal(const std::wstring& path, const std::wstring& text) {
  return unlessStopped([&] { return files_.writeJournal(path, text); });
}

MoveStatus StoppingFileSystem::readJournal(const std::wstring& path, std::wstring& text) {
  return unlessStopped([&] { return files_.readJournal(path, text); });
}

MoveStatus StoppingFileSystem::deleteJournal(const std::wstring& path) {
  return unlessStopped([&] { return files_.deleteJournal(path); });
}

}  // namespace mirafold::move
