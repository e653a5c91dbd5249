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

bool FakeFileSystem::isVisibleFile(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->folder && !e->hidden && !e->system;
}

bool FakeFileSystem::isVisibleEntry(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->hidden && !e->system;
}

bool FakeFileSystem::isVisibleFolder(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && e->folder && !e->hidden && !e->system;
}

void FakeFileSystem::addJunction(const std::wstring& path, const std::wstring& target) {
  addFolder(path);
  junctions_[lowered(path)] = target;
}

std::wstring FakeFileSystem::resolvedPath(const std::wstring& path) const {
  // The first junction found from the left redirects the rest, which is resolved again.
  for (std::size_t end = path.find(L'\\'); end != std::wstring::npos;
       end = path.find(L'\\', end + 1)) {
    if (const auto it = junctions_.find(lowered(path.substr(0, end))); it != junctions_.end()) {
      return resolvedPath(it->second + path.substr(end));
    }
  }
  const auto whole = junctions_.find(lowered(path));
  return whole == junctions_.end() ? path : resolvedPath(whole->second);
}

bool FakeFileSystem::isOnNetwork(const std::wstring& path) const {
  const std::wstring reached = resolvedPath(path);
  if (reached.starts_with(L"\\\\")) return true;
  return reached.size() > 1 && reached[1] == L':' &&
         networkDrives.find(static_cast<wchar_t>(std::towupper(reached[0]))) != std::wstring::npos;
}

bool FakeFileSystem::isAnyFile(const std::wstring& path) const {
  const Entry* e = find(path);
  return e && !e->folder;
}

platform::Outcome FakeFileSystem::deleteFile(const std::wstring& path) {
  if (const auto it = undeletable.find(path); it != undeletable.end()) return {false, it->second};
  if (!isAnyFile(path)) return {false, L"not found"};
  remove(path);
  deleted.push_back(path);
  return {};
}

void FakeMessageBoxes::show(const std::wstring& text) {
  shown.push_back(text);
  if (whileOpen) whileOpen(text);
}

bool FakeMessageBoxes::ask(const std::wstring& text) {
  shown.push_back(text);
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

std::unique_ptr<platform::Process> FakeProcesses::keep() {
  kept_.push_back(std::make_shared<ProcessState>());
  return std::make_unique<FakeProcess>(kept_.back());
}

std::unique_ptr<platform::Process> FakeProcesses::startKept(const std::wstring& commandLine,
                                                            platform::WindowShow show) {
  if (!start(commandLine, show)) return nullptr;
  return keep();
}

platform::ElevatedStart FakeProcesses::startElevated(const std::wstring& program,
                                                     const std::wstring& parameters,
                                                     platform::WindowShow show) {
  elevated.push_back({program, parameters, show});
  switch (consent) {
    case Consent::Declined:
      return {.declined = true, .error = 1223};
    case Consent::Fails:
      return {.error = 2};
    case Consent::Given:
      break;
  }
  auto process = keep();
  if (onElevated) onElevated(elevated.back());
  return {.process = std::move(process)};
}

void FakeProcesses::startOnceShown(const std::wstring& commandLine, platform::WindowShow show) {
  started.push_back({commandLine, show, true});
}

bool FakeProcesses::start(const std::wstring& commandLine, platform::WindowShow show) {
  if (!canStart) return false;
  started.push_back({commandLine, show});
  if (onStart) onStart(commandLine);
  return true;
}

}  // namespace mirafold::fakes
