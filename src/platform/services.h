#pragma once
// Operating-system services the program's logic uses, each small and named by what it gives.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mirafold::platform {

// Not called MessageBox: the system headers' macro of that name renames it wherever windows.h
// comes first.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Modal: text, one OK button, no icon, the application's title. Returns when closed.
  virtual void show(const std::wstring& text) = 0;
  // The same with Yes and No buttons; true for Yes.
  virtual bool ask(const std::wstring& text) = 0;
  // The same with Retry and Cancel buttons; true for Retry.
  virtual bool retry(const std::wstring& text) = 0;
};

enum class WindowShow {
  MinimizedNoActivate,  // minimised, without taking the focus
  NormalWithFocus,
};

// A started process that the caller keeps; its handle is closed with the object.
class Process {
 public:
  virtual ~Process() = default;
  // Its exit code once it has ended; nothing while it runs.
  virtual std::optional<std::uint32_t> exitCode() = 0;
  // The system's identifier of the process.
  virtual std::uint32_t id() const = 0;
};

// How a start with administrator rights went.
struct ElevatedStart {
  std::unique_ptr<Process> process;  // null when nothing started
  bool declined = false;             // the user refused the system's consent prompt
  std::uint32_t error = 0;           // the system's error code when it failed otherwise
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a process from one command-line text and returns at once; false when it could not start.
  virtual bool start(const std::wstring& commandLine, WindowShow show) = 0;
  // The same once the program's window is shown, for a start nothing waits on: the window is not
  // held back by it. Dropped when the program ends without showing its window.
  virtual void startOnceShown(const std::wstring& commandLine, WindowShow show) = 0;
  // Starts a process and keeps it; null when it could not start.
  virtual std::unique_ptr<Process> startKept(const std::wstring& commandLine, WindowShow show) = 0;
  // Starts a program with administrator rights, after the system asks the user's consent.
  virtual ElevatedStart startElevated(const std::wstring& program, const std::wstring& parameters,
                                      WindowShow show) = 0;
};

class ErrorTexts {
 public:
  virtual ~ErrorTexts() = default;
  // The system's message for an error code, in the user's language.
  virtual std::wstring describe(std::uint32_t code) const = 0;
};

struct Outcome {
  bool ok = true;
  std::wstring reason;  // the system's message when not ok
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A directory entry at exactly this path that is a file, neither hidden nor system.
  virtual bool isVisibleFile(const std::wstring& path) const = 0;
  // A directory entry at exactly this path, folder or file, neither hidden nor system.
  virtual bool isVisibleEntry(const std::wstring& path) const = 0;
  // A directory entry at exactly this path that is a folder, neither hidden nor system.
  virtual bool isVisibleFolder(const std::wstring& path) const = 0;
  // The path the system reaches: its longest existing part with every junction and link on the
  // way followed, and the rest appended unchanged.
  virtual std::wstring resolvedPath(const std::wstring& path) const = 0;
  // The path the system reaches (links on the way followed) lies on another machine: a share,
  // or a drive letter mapped to one.
  virtual bool isOnNetwork(const std::wstring& path) const = 0;
  // A file at this path, hidden and system ones too (shortcuts the program itself wrote are
  // tested this way).
  virtual bool isAnyFile(const std::wstring& path) const = 0;
  virtual Outcome deleteFile(const std::wstring& path) = 0;
};

// Where the system keeps what a move must leave in place, as the system names them now.
struct SystemPlaces {
  std::wstring windows;           // C:\Windows
  std::wstring programFiles;      // C:\Program Files
  std::wstring programFilesX86;   // C:\Program Files (x86)
  std::wstring programData;       // C:\ProgramData
  std::wstring users;             // C:\Users: each folder directly inside is someone's profile
  std::wstring profile;           // this user's, wherever it lies
  std::vector<std::wstring> own;  // the program's folder and its journal folders
  // Where a folder really is, every link on the way followed; null or empty: the path as given.
  std::function<std::wstring(const std::wstring&)> finalPathOf;
};

class SystemFolders {
 public:
  virtual ~SystemFolders() = default;
  virtual SystemPlaces places() const = 0;
};

class ProgramInfo {
 public:
  virtual ~ProgramInfo() = default;
  // The folder of the running program: no trailing backslash unless it is a drive root.
  virtual std::wstring programFolder() const = 0;
  // The running program's own full path.
  virtual std::wstring programPath() const = 0;
  // The revision number of the program's version record.
  virtual std::uint16_t revision() const = 0;
  // The whole argument text of the command line, program name left out.
  virtual std::wstring argumentText() const = 0;
};

}  // namespace mirafold::platform
