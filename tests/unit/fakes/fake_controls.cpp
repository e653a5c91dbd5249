#include "fakes/fake_controls.h"

#include <cwctype>

namespace mirafold::fakes {

bool FakeFolderList::setPath(const std::wstring& path) {
  std::wstring resolved = path;
  if (resolved.size() == 2 && resolved[1] == L':') {
    resolved = static_cast<wchar_t>(std::towupper(resolved[0])) + std::wstring(L":\\");
  }
  if (resolved.size() > 3 && resolved.ends_with(L'\\')) resolved.pop_back();
  if (resolved.size() < 3 || resolved[1] != L':' || !files_.hasFolder(resolved)) return false;
  path_ = resolved;
  ++changes;
  if (change_) change_();
  return true;
}

}  // namespace mirafold::fakes
