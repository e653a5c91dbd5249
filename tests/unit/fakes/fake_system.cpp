#include "fakes/fake_system.h"

#include <algorithm>
#include <cwctype>

namespace mirafold::fakes {

std::wstring lowered(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

void FakeFileSystem::addFolder(const std::wstring& path, Entry entry) {
  entry.folder = true;
  entries_[lowered(path)] = entry;
}

void FakeFileSystem::addFile(const std::wstring& path, Entry entry) {
  entry.folder = false;
  entries_[lowered(path)] = entry;
}

void FakeFileSystem::remove(const std::wstring& path) { entries_.erase(lowered(path)); }

const Entry* FakeFileSystem::find(const std::wstring& path) const {
  const auto it = entries_.find(lowered(path));
  return it == entries_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::hasFolder(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && e->folder;
}

bool FakeFileSystem::isPlainFile(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->folder && !e->hidden && !e->system;
}

bool FakeFileSystem::isFolderOrFile(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->hidden && !e->system;
}

bool FakeFileSystem::fileExists(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->folder;
}

bool FakeFileSystem::deleteFile(const std::wstring& path) {
  if (!fileExists(path)) return false;
  remove(path);
  deleted.push_back(path);
  return true;
}

void FakeMessageBox::show(const std::wstring& text) {
  shown.push_back(text);
  if (whileOpen) whileOpen(text);
}

bool FakeProcesses::start(const std::wstring& commandLine, platform::WindowShow show) {
  if (!canStart) return false;
  started.push_back({commandLine, show});
  if (onStart) onStart(commandLine);
  return true;
}

}  // namespace mirafold::fakes
