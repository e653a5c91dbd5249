#pragma once
// In-memory stand-ins for the system services: a small file system, recorded message boxes and
// process starts.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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

  bool isVisibleFile(const std::wstring& path) const override;
  bool isVisibleEntry(const std::wstring& path) const override;
  bool isVisibleFolder(const std::wstring& path) const override;
  // Follows the junctions set with addJunction on the way, as the system would.
  std::wstring resolvedPath(const std::wstring& path) const override;
  // Shares, and the drive letters in `networkDrives`, after the junctions on the way.
  bool isOnNetwork(const std::wstring& path) const override;
  bool isAnyFile(const std::wstring& path) const override;
  platform::Outcome deleteFile(const std::wstring& path) override;

  // A junction at path leading to target (a folder entry that resolves elsewhere).
  void addJunction(const std::wstring& path, const std::wstring& target);

  std::vector<std::wstring> deleted;
  std::wstring networkDrives;  // upper-case letters
  // Paths whose deletion fails with this reason.
  std::map<std::wstring, std::wstring> undeletable;

 private:
  std::map<std::wstring, Entry> entries_;           // keyed by the lower-cased path
  std::map<std::wstring, std::wstring> junctions_;  // lower-cased path to target
};

class FakeSystemFolders : public platform::SystemFolders {
 public:
  platform::SystemPlaces places() const override { return list; }
  platform::SystemPlaces list{
      .windows = L"C:\\Windows", .programFiles = L"C:\\Program Files", .users = L"C:\\Users"};
};

class FakeMessageBoxes : public platform::MessageBoxes {
 public:
  void show(const std::wstring& text) override;
  // Recorded among the shown texts; answered from `answers`, No when none is left.
  bool ask(const std::wstring& text) override;
  // Answered from the same `answers`: true is Retry, Cancel when none is left. Runs `whileOpen`
  // first, as a user closing a program before pressing Retry would.
  bool retry(const std::wstring& text) override {
    if (whileOpen) whileOpen(text);
    return ask(text);
  }
  std::vector<std::wstring> shown;
  std::deque<bool> answers;
  // Runs while a box is "open", as a user acting before pressing OK would.
  std::function<void(const std::wstring&)> whileOpen;
};

struct StartedProcess {
  std::wstring commandLine;
  platform::WindowShow show;
  bool onceShown = false;  // left for the window's showing
};

// A kept process whose end the test decides.
struct ProcessState {
  std::optional<std::uint32_t> exitCode;  // nothing while it runs
  bool closed = false;
  std::uint32_t id = 4242;
};

class FakeProcess : public platform::Process {
 public:
  explicit FakeProcess(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}
  ~FakeProcess() override { state_->closed = true; }
  std::optional<std::uint32_t> exitCode() override { return state_->exitCode; }
  std::uint32_t id() const override { return state_->id; }

 private:
  std::shared_ptr<ProcessState> state_;
};

struct ElevatedRun {
  std::wstring program;
  std::wstring parameters;
  platform::WindowShow show;
};

class FakeProcesses : public platform::Processes {
 public:
  bool start(const std::wstring& commandLine, platform::WindowShow show) override;
  void startOnceShown(const std::wstring& commandLine, platform::WindowShow show) override;
  std::unique_ptr<platform::Process> startKept(const std::wstring& commandLine,
                                               platform::WindowShow show) override;
  platform::ElevatedStart startElevated(const std::wstring& program, const std::wstring& parameters,
                                        platform::WindowShow show) override;
  // The state of the n-th kept or elevated process, in the order they were started.
  std::shared_ptr<ProcessState> kept(std::size_t n) const { return kept_.at(n); }
  std::size_t keptCount() const { return kept_.size(); }

  std::vector<StartedProcess> started;
  std::vector<ElevatedRun> elevated;
  bool canStart = true;
  // How the consent prompt ends: started, declined (ERROR_CANCELLED) or another error.
  enum class Consent { Given, Declined, Fails } consent = Consent::Given;
  std::function<void(const std::wstring&)> onStart;  // what the started program does
  // What the program started elevated does, once consent is given.
  std::function<void(const ElevatedRun&)> onElevated;

 private:
  std::unique_ptr<platform::Process> keep();
  std::vector<std::shared_ptr<ProcessState>> kept_;
};

// "error <code>" for every code, so that tests see which code was described.
class FakeErrorTexts : public platform::ErrorTexts {
 public:
  std::wstring describe(std::uint32_t code) const override {
    return L"error " + std::to_wstring(code);
  }
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
