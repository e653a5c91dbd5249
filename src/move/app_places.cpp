#include "move/app_places.h"

#include <string_view>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"

namespace mirafold::move {
namespace {

enum class Anchor { LocalAppData, ProgramData, OneDrive, FolderHoldingFile };

struct AppPlace {
  Anchor anchor;
  // Below the anchor; for FolderHoldingFile, the name of the file that marks the place.
  std::wstring_view below;
  std::wstring_view text;
};

// The table, in the order it is read: a more particular place before one it lies in.
constexpr AppPlace kAppPlaces[] = {
    // Docker's release notes (docs.docker.com/desktop/release-notes, 4.6.0, CVE-2022-26659, and
    // 4.8.0): the installer refuses C:\ProgramData\DockerDesktop as a file or a symbolic link,
    // "for security reasons"; the data moves with Settings > Resources > Advanced.
    {Anchor::ProgramData, L"DockerDesktop", kDockerDesktopData},
    // docs.docker.com/desktop/settings-and-maintenance/settings (Resources > Advanced, "Disk
    // image location"): the WSL 2 disk of Docker Desktop is moved from its settings.
    {Anchor::LocalAppData, L"Docker\\wsl", kDockerDesktopDisk},
    // learn.microsoft.com/windows/wsl/disk-space: "do not modify, move, or access the WSL related
    // files located inside of your AppData folder using Windows tools ... could cause your Linux
    // distribution to become corrupted"; wsl.exe --help: "--manage <Distro> --move <Location>:
    // Move the distribution to a new location".
    {Anchor::FolderHoldingFile, L"ext4.vhdx", kWslDistribution},
    // learn.microsoft.com/powershell/module/appx/move-appxpackage: a Store app is moved to another
    // volume by the system, which "also moves your application data" (Settings > Apps > Move).
    {Anchor::LocalAppData, L"Packages", kStoreAppData},
    // support.microsoft.com "Change the location of your OneDrive folder" (f386fb81-1461-40a7-
    // be2c-712676b2c4ae): unlink this PC, move the folder, sign in again and choose it.
    {Anchor::OneDrive, L"", kOneDriveFolder},
};

std::vector<std::wstring> placesOf(const AppPlace& row, const platform::AppFolders& anchors) {
  const auto under = [&](const std::wstring& anchor) -> std::vector<std::wstring> {
    if (anchor.empty()) return {};
    return {row.below.empty() ? base::withoutTrailingSeparator(anchor)
                              : base::joinPath(anchor, row.below)};
  };
  switch (row.anchor) {
    case Anchor::LocalAppData:
      return under(anchors.localAppData);
    case Anchor::ProgramData:
      return under(anchors.programData);
    case Anchor::OneDrive: {
      std::vector<std::wstring> places;
      for (const std::wstring& folder : anchors.oneDrive) {
        for (std::wstring& place : under(folder)) places.push_back(std::move(place));
      }
      return places;
    }
    case Anchor::FolderHoldingFile:
      break;
  }
  return {};
}

std::optional<AppPlaceFinding> findingAt(const std::wstring& path,
                                         const platform::AppFolders& anchors,
                                         const std::function<bool(const std::wstring&)>& exists) {
  for (const AppPlace& row : kAppPlaces) {
    if (row.anchor == Anchor::FolderHoldingFile) {
      // The place is the folder that holds the file: this one, or the one this lies in.
      for (const std::wstring& place : {path, base::parentOf(path)}) {
        if (!place.empty() && exists(base::joinPath(place, row.below))) {
          return AppPlaceFinding{true, base::fillIn(row.text, {place})};
        }
      }
      continue;
    }
    for (const std::wstring& place : placesOf(row, anchors)) {
      if (base::isSameOrInside(path, place)) {
        return AppPlaceFinding{true, base::fillIn(row.text, {place})};
      }
      if (base::isSameOrInside(place, path) && exists(place)) {
        return AppPlaceFinding{false,
                               base::fillIn(kAppPlaceWarning, {base::fillIn(row.text, {place})})};
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<AppPlaceFinding> appPlaceFinding(
    const std::wstring& folder, const std::wstring& finalPath, const platform::AppFolders& anchors,
    const std::function<bool(const std::wstring&)>& exists) {
  std::optional<AppPlaceFinding> found = findingAt(folder, anchors, exists);
  if (!finalPath.empty() && !base::samePath(finalPath, folder)) {
    const std::optional<AppPlaceFinding> really = findingAt(finalPath, anchors, exists);
    // A refusal wins over a warning, whichever path finds it.
    if (really && (!found || (really->refused && !found->refused))) found = really;
  }
  return found;
}

}  // namespace mirafold::move
