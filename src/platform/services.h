#pragma once
// Operating-system services the program's logic uses, each small and named by what it gives.

#include <cstdint>
#include <string>

namespace mirafold::platform {

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Modal: text, one OK button, no icon, the application's title. Returns when closed.
  virtual void show(const std::wstring& text) = 0;
};

enum class WindowShow {
  MinimizedNoActivate,  // minimised, without taking the focus
  NormalWithFocus,
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a process from one command-line text and returns at once; false when it could not start.
  virtual bool start(const std::wstring& commandLine, WindowShow show) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A directory entry at exactly this path that is a file, neither hidden nor system.
  virtual bool isPlainFile(const std::wstring& path) const = 0;
  // A directory entry at exactly this path, folder or file, neither hidden nor system.
  virtual bool isFolderOrFile(const std::wstring& path) const = 0;
  // Any file at this path (shortcuts the program itself wrote are tested this way).
  virtual bool fileExists(const std::wstring& path) const = 0;
  virtual bool deleteFile(const std::wstring& path) = 0;
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
