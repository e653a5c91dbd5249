#include "base/long_path.h"

namespace mirafold::base {
namespace {

constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNt = L"\\??\\";
// Below this length a folder path plus "\*" or a file name of 8.3 still fits the classic limit
// of 260 characters.
constexpr std::size_t kClassicLimit = 248;

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool isLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

}  // namespace

std::wstring withoutLongPathPrefix(std::wstring_view path) {
  if (path.starts_with(kVerbatimUnc))
    return L"\\\\" + std::wstring(path.substr(kVerbatimUnc.size()));
  if (path.starts_with(kVerbatim)) return std::wstring(path.substr(kVerbatim.size()));
  return std::wstring(path);
}

std::wstring toLongPath(std::wstring_view absolute) {
  if (absolute.starts_with(kVerbatim) || absolute.starts_with(kDevice) ||
      absolute.starts_with(kNt)) {
    return std::wstring(absolute);
  }
  if (absolute.starts_with(L"\\\\"))
    return std::wstring(kVerbatimUnc) + std::wstring(absolute.substr(2));
  return std::wstring(kVerbatim) + std::wstring(absolute);
}

std::wstring withLongPathPrefix(std::wstring_view absolute) {
  const bool drive = absolute.size() >= 3 && isLetter(absolute[0]) && absolute[1] == L':' &&
                     isSeparator(absolute[2]);
  const bool share = absolute.size() >= 2 && isSeparator(absolute[0]) && isSeparator(absolute[1]) &&
                     !absolute.starts_with(kVerbatim) && !absolute.starts_with(kDevice);
  if (absolute.size() < kClassicLimit || (!drive && !share)) return std::wstring(absolute);
  std::wstring out(absolute);
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return toLongPath(out);
}

}  // namespace mirafold::base
