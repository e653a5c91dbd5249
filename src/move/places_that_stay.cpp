#include "move/places_that_stay.h"

#include <array>
#include <string_view>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"

namespace mirafold::move {
namespace {

// Folders a profile keeps its settings in; the profile's own documents and games may move.
constexpr std::array<std::wstring_view, 4> kProfileParts{L"AppData", L"AppData\\Local",
                                                         L"AppData\\Roaming", L"AppData\\LocalLow"};
// Kept by the system at the root of every volume.
constexpr std::array<std::wstring_view, 2> kVolumeParts{L"System Volume Information",
                                                        L"$Recycle.Bin"};

bool isProfilePart(const std::wstring& path, const std::wstring& profile) {
  if (profile.empty()) return false;
  if (base::samePath(path, profile)) return true;
  for (const std::wstring_view part : kProfileParts) {
    if (base::samePath(path, base::joinPath(profile, part))) return true;
  }
  return false;
}

// The profile `path` would be a part of: the user's own, or any folder directly in Users.
bool isInAProfile(const std::wstring& path, const platform::SystemPlaces& places) {
  if (isProfilePart(path, places.profile)) return true;
  if (places.users.empty() || !base::isSameOrInside(path, places.users) ||
      base::samePath(path, places.users)) {
    return false;
  }
  std::wstring profile = path;
  while (!base::samePath(base::parentOf(profile), places.users)) profile = base::parentOf(profile);
  return isProfilePart(path, profile);
}

bool isInAVolumePart(const std::wstring& path) {
  std::wstring root = path;
  while (!base::parentOf(root).empty()) root = base::parentOf(root);
  for (const std::wstring_view part : kVolumeParts) {
    if (base::isSameOrInside(path, base::joinPath(root, part))) return true;
  }
  return false;
}

bool isInside(const std::wstring& path, const std::wstring& place) {
  return !place.empty() && base::isSameOrInside(path, place);
}

std::optional<std::wstring_view> reasonFor(const std::wstring& path,
                                           const platform::SystemPlaces& places) {
  if (base::isDriveRoot(path)) return kStaysVolumeRoot;
  if (isInside(path, places.windows)) return kStaysWindows;
  if (isInside(path, base::joinPath(places.programFiles, L"WindowsApps"))) return kStaysStoreApps;
  for (const std::wstring* root :
       {&places.programFiles, &places.programFilesX86, &places.programData, &places.users}) {
    if (!root->empty() && base::samePath(path, *root)) return kStaysSystemRoot;
  }
  if (isInAVolumePart(path)) return kStaysSystemRoot;
  if (isInAProfile(path, places)) return kStaysProfile;
  for (const std::wstring& own : places.own) {
    if (isInside(path, own)) return kStaysOwn;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> whyItStays(const std::wstring& folder,
                                       const platform::SystemPlaces& places) {
  const std::wstring given = base::withoutTrailingSeparator(folder);
  std::wstring final = places.finalPathOf ? places.finalPathOf(given) : std::wstring();
  if (final.empty()) final = given;
  final = base::withoutTrailingSeparator(final);
  // Where it really is decides; the name it was chosen by is checked too, for a folder that
  // cannot be opened.
  for (const std::wstring& path : {final, given}) {
    if (const auto reason = reasonFor(path, places)) return base::fillIn(*reason, {path});
  }
  return std::nullopt;
}

}  // namespace mirafold::move
