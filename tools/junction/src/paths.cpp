#include "junction/paths.h"

#include "base/long_path.h"

namespace junction {
namespace {

constexpr std::wstring_view kNtPrefix = L"\\??\\";
constexpr std::wstring_view kNtUnc = L"\\??\\UNC\\";

bool startsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool isLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool startsWithNoCase(std::wstring_view s, std::wstring_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](wchar_t c) {
      return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    };
    if (lower(s[i]) != lower(prefix[i])) return false;
  }
  return true;
}

// The devices of the network redirectors: a mapped share's DOS name leads to one of them.
bool isNetworkDevice(std::wstring_view device) {
  return startsWithNoCase(device, kNtUnc) || startsWithNoCase(device, L"\\Device\\Mup\\") ||
         startsWithNoCase(device, L"\\Device\\LanmanRedirector\\") ||
         startsWithNoCase(device, L"\\Device\\WebDavRedirector\\");
}

}  // namespace

bool isDrivePath(std::wstring_view path) {
  return path.size() >= 3 && isLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
}

std::wstring trimTrailingSeparators(std::wstring_view path) {
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] == L'\\') --end;
  std::wstring out(path.substr(0, end));
  if (out.size() == 2 && isLetter(out[0]) && out[1] == L':' && path.size() > 2) out += L'\\';
  return out;
}

std::optional<std::wstring> junctionTargetPath(std::wstring_view absolutePath) {
  std::wstring plain = trimTrailingSeparators(mirafold::base::withoutLongPathPrefix(absolutePath));
  if (!isDrivePath(plain)) return std::nullopt;
  return plain;
}

std::optional<std::wstring> localDrivePath(std::wstring_view drivePath,
                                           const DriveDevices& devices) {
  std::wstring path(drivePath);
  // A SUBST letter may stand for a folder on another SUBST letter; a loop of them ends here.
  for (int hop = 0; hop < 26; ++hop) {
    if (!isDrivePath(path)) return std::nullopt;
    const DriveDevice device = devices(path[0]);
    if (device.remote || isNetworkDevice(device.target)) return std::nullopt;
    if (!startsWith(device.target, kNtPrefix)) return path;
    const std::wstring behind = trimTrailingSeparators(device.target.substr(kNtPrefix.size()));
    if (!isDrivePath(behind)) return path;
    path = trimTrailingSeparators(joinPath(behind, std::wstring_view(path).substr(3)));
  }
  return std::nullopt;
}

std::wstring joinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring out(folder);
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  out += name;
  return out;
}

}  // namespace junction
