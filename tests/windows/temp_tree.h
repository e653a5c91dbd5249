#pragma once
// A scratch folder under the temp folder for one test, removed with everything in it afterwards
// (links excepted), whatever attributes the test gave its entries.

#include <windows.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>

#include "remove_scratch.h"
#include "temp_folder.h"

namespace mirafold::testing {

class TempTree {
 public:
  // Throws when the temporary folder is unusable or the new folder cannot be made: a test never
  // works in a folder it did not make.
  TempTree() {
    static std::atomic<int> counter{0};
    const std::optional<std::wstring> base = temporaryFolder();
    if (!base) throw std::runtime_error("no usable temporary folder");
    // Process IDs repeat under Wine: the name also carries the time, and only a new folder will do.
    for (;;) {
      path_ = *base + L"mirafold-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
              std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
      if (::CreateDirectoryW((L"\\\\?\\" + path_).c_str(), nullptr)) return;
      if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no scratch folder");
    }
  }
  ~TempTree() { removeScratchFolder(path_); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring at(const std::wstring& relative) const { return path_ + L"\\" + relative; }

  // Creates a folder (and the folders above it) and gives it the attributes; returns its path.
  std::wstring folder(const std::wstring& relative, DWORD attributes = 0) const {
    const std::wstring full = at(relative);
    for (std::size_t i = path_.size() + 1; i <= full.size(); ++i) {
      if (i == full.size() || full[i] == L'\\') {
        ::CreateDirectoryW((L"\\\\?\\" + full.substr(0, i)).c_str(), nullptr);
      }
    }
    if (attributes) ::SetFileAttributesW((L"\\\\?\\" + full).c_str(), attributes);
    return full;
  }

  // Creates an empty file and gives it the attributes; returns its path.
  std::wstring file(const std::wstring& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
    const std::wstring full = at(relative);
    const HANDLE h = ::CreateFileW((L"\\\\?\\" + full).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    ::SetFileAttributesW((L"\\\\?\\" + full).c_str(), attributes);
    return full;
  }

 private:
  std::wstring path_;
};

// Sets the process's current folder for the scope.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::wstring& folder) {
    wchar_t previous[4096] = {};
    ::GetCurrentDirectoryW(4096, previous);
    previous_ = previous;
    ::SetCurrentDirectoryW(folder.c_str());
  }
  ~CurrentFolder() { ::SetCurrentDirectoryW(previous_.c_str()); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::wstring previous_;
};

}  // namespace mirafold::testing
