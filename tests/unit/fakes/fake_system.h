#pragma once
// In-memory stand-ins for the system services: a small file system, recorded message boxes and
// process starts.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/services.h"

namespace mirafold::fakes {

struct Entry {
  bool folder = true;
  bool hidden = false;
  bool system = false;
};

class FakeFileSystem : public platform::FileSystem {
 public:
  void addFolder(const std::wstring& path, Entry entry = {});
  void addFile(const std::wstring& path, Entry entry = {.folder = false});
  void remove(const std::wstring& path);
  bool hasFolder(const std::wstring& path) const;
  const Entry* find(const std::wstring& path) const;

  bool isPlainFile(const std::wstring& path) const override;
  bool isFolderOrFile(const std::wstring& path) const override;
  bool fileExists(const std::wstring& path) const override;
  bool deleteFile(const std::wstring& path) override;

  std::vector<std::wstring> deleted;

 private:
  std::map<std::wstring, Entry> entries_;  // keyed by the lower-cased path
};

class FakeMessageBox : public platform::MessageBox {
 public:
  void show(const std::wstring& text) override;
  std::vector<std::wstring> shown;
  // Runs while a box is "open", as a user acting before pressing OK would.
  std::function<void(const std::wstring&)> whileOpen;
};

struct StartedProcess {
  std::wstring commandLine;
  platform::WindowShow show;
};

class FakeProcesses : public platform::Processes {
 public:
  bool start(const std::wstring& commandLine, platform::WindowShow show) override;
  std::vector<StartedProcess> started;
  bool canStart = true;
  std::function<void(const std::wstring&)> onStart;  // what the started program does
};

class FakeProgramInfo : public platform::ProgramInfo {
 public:
  std::wstring programFolder() const override { return folder; }
  std::wstring programPath() const override { return folder + L"\\mirafold.exe"; }
  std::uint16_t revision() const override { return revisionNumber; }
  std::wstring argumentText() const override { return argument; }

  std::wstring folder = L"D:\\Tools";
  std::uint16_t revisionNumber = 52;
  std::wstring argument;
};

std::wstring lowered(std::wstring text);

}  // namespace mirafold::fakes
