// junction.exe run as a separate process, as the program runs it, on the real (or Wine's) file
// system: under Wine a host symbolic link stands in for each junction.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/command_line.h"
#include "base/text.h"
#include "base/win32/exported.h"
#include "host_shell.h"

namespace {

std::wstring toolPath() {
  std::wstring self(32768, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  return self.substr(0, self.find_last_of(L'\\')) + L"\\junction.exe";
}

std::wstring verbatim(const std::wstring& path) { return L"\\\\?\\" + path; }

struct ToolRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::wstring out;
  std::wstring err;
};

class Pipe {
 public:
  Pipe() {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    ::CreatePipe(&read_, &write_, &inheritable, 1 << 16);
    ::SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
  }
  ~Pipe() {
    closeWriteEnd();
    if (read_) ::CloseHandle(read_);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  HANDLE writeEnd() const { return write_; }
  void closeWriteEnd() {
    if (write_) ::CloseHandle(write_);
    write_ = nullptr;
  }
  std::string drain() const {
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(read_, buffer, sizeof buffer, &got, nullptr) && got > 0)
      bytes.append(buffer, got);
    return bytes;
  }

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
};

ToolRun runTool(const std::vector<std::wstring>& args, const std::wstring& currentFolder = {}) {
  const std::wstring tool = toolPath();
  std::wstring commandLine = mirafold::base::quoteArgument(tool);
  if (!args.empty()) commandLine += L" " + mirafold::base::joinArguments(args);
  Pipe out;
  Pipe err;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.writeEnd();
  startup.hStdError = err.writeEnd();
  PROCESS_INFORMATION process{};
  ToolRun run;
  if (!::CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                        &process)) {
    run.err = L"could not start " + tool + L": error " + std::to_wstring(::GetLastError());
    return run;
  }
  out.closeWriteEnd();
  err.closeWriteEnd();
  // The tool writes a few lines only: they fit in the pipes until it has ended.
  ::WaitForSingleObject(process.hProcess, 60000);
  ::GetExitCodeProcess(process.hProcess, &run.exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  run.out = mirafold::base::fromUtf8(out.drain());
  run.err = mirafold::base::fromUtf8(err.drain());
  return run;
}

std::size_t lineCount(const std::wstring& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\n'));
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(verbatim(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReparsePoint(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(verbatim(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::set<std::wstring> namesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(verbatim(folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string readFile(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(verbatim(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(unreadable)";
  char buffer[256];
  DWORD got = 0;
  ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  ::CloseHandle(file);
  return std::string(buffer, got);
}

// A scratch folder per test. Links in it are removed by the tool itself: deleting through a
// host link as if it were a folder would empty its target.
class Scratch {
 public:
  Scratch() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    // Wine reuses process IDs from run to run: a name is only ours once CreateDirectoryW says so.
    do {
      root_ = std::wstring(temp) + L"junction-test-" + std::to_wstring(::GetCurrentProcessId()) +
              L"-" + std::to_wstring(counter++);
    } while (!::CreateDirectoryW(root_.c_str(), nullptr) && counter < 1000);
  }
  ~Scratch() {
    removeLinks(root_);
    remove(root_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::wstring& root() const { return root_; }
  std::wstring at(const std::wstring& relative) const { return root_ + L"\\" + relative; }

  std::wstring folder(const std::wstring& relative) const {
    const std::wstring full = at(relative);
    for (std::size_t i = root_.size() + 1; i <= full.size(); ++i) {
      if (i == full.size() || full[i] == L'\\') {
        ::CreateDirectoryW(verbatim(full.substr(0, i)).c_str(), nullptr);
      }
    }
    return full;
  }

  std::wstring file(const std::wstring& relative, const std::string& content) const {
    const std::wstring full = at(relative);
    const HANDLE h = ::CreateFileW(verbatim(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(h);
    return full;
  }

 private:
  // First, while every target is still there: Wine hides a host link whose target is gone.
  static void removeLinks(const std::wstring& folder) {
    for (const auto& name : namesIn(folder)) {
      const std::wstring path = folder + L"\\" + name;
      const DWORD attributes = ::GetFileAttributesW(verbatim(path).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) continue;
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        runTool({L"-d", path});
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeLinks(path);
      }
    }
  }

  static void remove(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(verbatim(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ::DeleteFileW(verbatim(path).c_str());
      return;
    }
    for (const auto& name : namesIn(path)) remove(path + L"\\" + name);
    ::RemoveDirectoryW(verbatim(path).c_str());
  }

  std::wstring root_;
};

class JunctionTool : public testing::Test {
 protected:
  void SetUp() override {
    target = scratch.folder(L"target");
    scratch.file(L"target\\one.txt", "first");
    scratch.file(L"target\\two.txt", "second");
  }

  Scratch scratch;
  std::wstring target;
};

TEST_F(JunctionTool, CreatesShowsAndRemovesALink) {
  const std::wstring link = scratch.at(L"link");
  const ToolRun created = runTool({link, target});
  ASSERT_EQ(created.exitCode, 0u) << created.err;
  EXPECT_EQ(created.out, L"Created " + link + L" -> " + target + L"\r\n");
  EXPECT_EQ(created.err, L"");

  EXPECT_TRUE(isReparsePoint(link));
  EXPECT_EQ(namesIn(link), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(readFile(link + L"\\two.txt"), "second");

  const ToolRun shown = runTool({link});
  EXPECT_EQ(shown.exitCode, 0u) << shown.err;
  EXPECT_EQ(shown.out, link + L" -> " + target + L"\r\n");

  const ToolRun removed = runTool({L"-d", link});
  EXPECT_EQ(removed.exitCode, 0u) << removed.err;
  EXPECT_FALSE(exists(link));
  // The target and every file in it are untouched.
  EXPECT_EQ(namesIn(target), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(readFile(target + L"\\one.txt"), "first");

  const ToolRun gone = runTool({link});
  EXPECT_NE(gone.exitCode, 0u);
  EXPECT_EQ(lineCount(gone.err), 1u) << gone.err;
}

TEST_F(JunctionTool, RefusesAnythingAlreadyAtTheLinkPath) {
  const std::wstring file = scratch.file(L"taken.txt", "mine");
  const std::wstring folder = scratch.folder(L"taken");
  scratch.file(L"taken\\inside.txt", "inside");
  for (const auto& path : {file, folder}) {
    const ToolRun run = runTool({path, target});
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_EQ(lineCount(run.err), 1u) << run.err;
    EXPECT_NE(run.err.find(L"already exists"), std::wstring::npos) << run.err;
    EXPECT_FALSE(isReparsePoint(path));
  }
  EXPECT_EQ(readFile(file), "mine");
  EXPECT_EQ(namesIn(folder), (std::set<std::wstring>{L"inside.txt"}));
}

TEST_F(JunctionTool, RefusesAMissingTargetOrAFileAsTarget) {
  const std::wstring link = scratch.at(L"link");
  const ToolRun missing = runTool({link, scratch.at(L"nowhere")});
  EXPECT_NE(missing.exitCode, 0u);
  EXPECT_NE(missing.err.find(L"does not exist"), std::wstring::npos) << missing.err;
  const ToolRun file = runTool({link, target + L"\\one.txt"});
  EXPECT_NE(file.exitCode, 0u);
  EXPECT_NE(file.err.find(L"not a folder"), std::wstring::npos) << file.err;
  EXPECT_FALSE(exists(link));
}

TEST_F(JunctionTool, DeleteRefusesARealFolderAndLeavesItsFiles) {
  const ToolRun run = runTool({L"-d", target});
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_EQ(lineCount(run.err), 1u) << run.err;
  EXPECT_NE(run.err.find(L"not a junction"), std::wstring::npos) << run.err;
  EXPECT_EQ(namesIn(target), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(readFile(target + L"\\one.txt"), "first");
}

TEST_F(JunctionTool, TakesARelativeTargetFromTheCurrentFolder) {
  const std::wstring work = scratch.folder(L"work");
  const ToolRun run = runTool({L"link", L"..\\target"}, work);
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(runTool({work + L"\\link"}).out, work + L"\\link -> " + target + L"\r\n");
  EXPECT_EQ(namesIn(work + L"\\link"), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
}

TEST_F(JunctionTool, HandlesSpacesAndChineseCharacters) {
  const std::wstring chinese = scratch.folder(L"目标 文件夹 with spaces");
  scratch.file(L"目标 文件夹 with spaces\\说明.txt", "中文");
  ASSERT_TRUE(exists(chinese + L"\\说明.txt"))
      << "Wine could not make a Chinese file name on the host: it needs a UTF-8 locale (LANG)";
  const std::wstring link = scratch.at(L"链接 link");
  const ToolRun run = runTool({link, chinese});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, L"Created " + link + L" -> " + chinese + L"\r\n");
  EXPECT_EQ(namesIn(link), (std::set<std::wstring>{L"说明.txt"}));
  EXPECT_EQ(readFile(link + L"\\说明.txt"), "中文");
  EXPECT_EQ(runTool({link}).out, link + L" -> " + chinese + L"\r\n");
  EXPECT_EQ(runTool({L"-d", link}).exitCode, 0u);
  EXPECT_TRUE(exists(chinese + L"\\说明.txt"));
}

TEST_F(JunctionTool, WorksWithALinkPathOverTheOldLengthLimit) {
  std::wstring deep = L"deep";
  while (scratch.at(deep).size() < 300) deep += L"\\" + std::wstring(40, L'd');
  const std::wstring parent = scratch.folder(deep);
  const std::wstring link = parent + L"\\link";
  ASSERT_GT(link.size(), 260u);
  const ToolRun run = runTool({link, target});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(namesIn(link), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(runTool({link}).out, link + L" -> " + target + L"\r\n");
  EXPECT_EQ(runTool({L"-d", link}).exitCode, 0u);
  EXPECT_FALSE(exists(link));
  EXPECT_TRUE(exists(target + L"\\one.txt"));
}

TEST_F(JunctionTool, SearchFindsTheLinksAndDoesNotEnterThem) {
  const std::wstring other = scratch.folder(L"other");
  const std::wstring inner = target + L"\\inner";
  const std::wstring top = scratch.at(L"top");
  const std::wstring nested = scratch.folder(L"a\\b") + L"\\nested";
  const std::wstring loop = scratch.at(L"a\\loop");
  ASSERT_EQ(runTool({inner, other}).exitCode, 0u);
  ASSERT_EQ(runTool({top, target}).exitCode, 0u);  // entering it would show "top\inner" too
  ASSERT_EQ(runTool({nested, target}).exitCode, 0u);
  ASSERT_EQ(runTool({loop, scratch.root()}).exitCode, 0u);  // entering it would never end

  const ToolRun run = runTool({L"-s", scratch.root()});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::set<std::wstring> lines;
  for (std::size_t start = 0; start < run.out.size();) {
    const std::size_t end = run.out.find(L"\r\n", start);
    lines.insert(run.out.substr(start, end - start));
    start = end == std::wstring::npos ? run.out.size() : end + 2;
  }
  EXPECT_EQ(lines,
            (std::set<std::wstring>{inner + L" -> " + other, top + L" -> " + target,
                                    nested + L" -> " + target, loop + L" -> " + scratch.root()}));
}

TEST_F(JunctionTool, LeavesNoEmptyFolderWhenTheSystemRefusesTheJunction) {
  if (!mirafold::base::win32::runningUnderWine())
    GTEST_SKIP() << "only Wine refuses NTFS reparse points";
  // Made to try the NTFS way, which Wine 8 does not support.
  ::SetEnvironmentVariableW(L"JUNCTION_NO_HOST_LINKS", L"1");
  const std::wstring link = scratch.at(L"link");
  const ToolRun run = runTool({link, target});
  ::SetEnvironmentVariableW(L"JUNCTION_NO_HOST_LINKS", nullptr);
  // The folder was made and opened in one call, and deleted through that handle when the
  // reparse point was refused; the exit code is that refusal's.
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(lineCount(run.err), 1u) << run.err;
  wchar_t reason[512] = {};
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_NOT_SUPPORTED, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reason, 512,
                   nullptr);
  std::wstring expected = reason;
  while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r'))
    expected.pop_back();
  EXPECT_NE(run.err.find(expected), std::wstring::npos) << run.err;
  EXPECT_FALSE(exists(link));
}

// Each failure exits with the Win32 error code of the step that failed, its message on stderr.
TEST_F(JunctionTool, ExitsWithTheErrorCodeOfTheFailedStep) {
  const std::wstring file = scratch.file(L"taken.txt", "mine");
  const std::wstring folder = scratch.folder(L"taken");
  const std::wstring link = scratch.at(L"link");
  struct Case {
    const wchar_t* what;
    std::vector<std::wstring> args;
    DWORD code;
  };
  const Case cases[] = {
      {L"missing target", {link, scratch.at(L"nowhere")}, ERROR_PATH_NOT_FOUND},
      {L"file at LINK", {file, target}, ERROR_ALREADY_EXISTS},
      {L"folder at LINK", {folder, target}, ERROR_ALREADY_EXISTS},
      {L"file as target", {link, target + L"\\one.txt"}, ERROR_DIRECTORY},
      {L"query of nothing", {link}, ERROR_FILE_NOT_FOUND},
      {L"query of a folder", {folder}, ERROR_NOT_A_REPARSE_POINT},
      {L"removal of nothing", {L"-d", link}, ERROR_FILE_NOT_FOUND},
      {L"removal of a folder", {L"-d", folder}, ERROR_NOT_A_REPARSE_POINT},
      {L"search of a file", {L"-s", file}, ERROR_DIRECTORY},
  };
  for (const Case& c : cases) {
    const ToolRun run = runTool(c.args);
    EXPECT_EQ(run.exitCode, c.code) << c.what << ": " << testing::PrintToString(run.err);
    EXPECT_EQ(lineCount(run.err), c.args.size() == 1 && c.code != ERROR_FILE_NOT_FOUND ? 0u : 1u)
        << c.what;
  }
  EXPECT_FALSE(exists(link));
  EXPECT_EQ(readFile(file), "mine");
}

TEST_F(JunctionTool, TakesBackAHostLinkWhoseMakingTimedOut) {
  if (!mirafold::base::win32::runningUnderWine())
    GTEST_SKIP() << "host links stand in for junctions only under Wine";
  // No wait at all for the host command: the tool gives up on it, and must not leave its link.
  ::SetEnvironmentVariableW(L"JUNCTION_HOST_ANSWER_MS", L"0");
  const std::wstring link = scratch.at(L"link");
  const ToolRun run = runTool({link, target});
  ::SetEnvironmentVariableW(L"JUNCTION_HOST_ANSWER_MS", nullptr);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_TIMEOUT)) << run.err;
  EXPECT_EQ(lineCount(run.err), 1u) << run.err;
  EXPECT_FALSE(exists(link));
  ::Sleep(1000);  // a late link would show by now
  EXPECT_FALSE(exists(link));
  EXPECT_EQ(namesIn(target), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
}

// A host folder outside the prefix, with a host link in it that the test makes itself.
class HostFolderOutsideThePrefix {
 public:
  HostFolderOutsideThePrefix() {
    host_ = "/tmp/mirafold-junction-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount64());
    hostWide_ = std::wstring(host_.begin(), host_.end());
    windows_ = L"Z:" + hostWide_;
    std::replace(windows_.begin(), windows_.end(), L'/', L'\\');
    made_ = shell_.run(L"mkdir -- \"$1\" \"$1/target\" && ln -s -- \"$1/target\" \"$1/link\"",
                       {hostWide_}, 1, 10000);
  }
  ~HostFolderOutsideThePrefix() {
    // Only what the test made, by name: never a recursive removal outside the scratch folders.
    shell_.run(
        L"for l in link new; do if [ -L \"$1/$l\" ]; then rm -f -- \"$1/$l\"; fi; done; "
        L"rmdir -- \"$1/new\" 2>/dev/null; rmdir -- \"$1/target\" \"$1\"",
        {hostWide_}, 1, 10000);
  }
  HostFolderOutsideThePrefix(const HostFolderOutsideThePrefix&) = delete;
  HostFolderOutsideThePrefix& operator=(const HostFolderOutsideThePrefix&) = delete;

  const junction::Status& made() const { return made_; }
  std::wstring at(const wchar_t* name) const { return windows_ + L"\\" + name; }
  bool hostLinkThere() const { return shell_.run(L"[ -L \"$1/link\" ]", {hostWide_}, 1, 10000).ok; }

 private:
  junction::win32::HostShell shell_;
  std::string host_;
  std::wstring hostWide_;
  std::wstring windows_;
  junction::Status made_;
};

TEST_F(JunctionTool, LeavesHostLinksOutsideThePrefixDriveAlone) {
  if (!mirafold::base::win32::runningUnderWine())
    GTEST_SKIP() << "host links stand in for junctions only under Wine";
  const HostFolderOutsideThePrefix outside;
  ASSERT_TRUE(outside.made().ok) << testing::PrintToString(outside.made().reason);
  const std::wstring link = outside.at(L"link");
  ASSERT_TRUE(isReparsePoint(link)) << "Wine shows a host link as a reparse point";

  const ToolRun shown = runTool({link});
  EXPECT_EQ(shown.exitCode, static_cast<DWORD>(ERROR_REPARSE_TAG_MISMATCH)) << shown.out;
  EXPECT_NE(shown.out.find(L"is no junction"), std::wstring::npos) << shown.out;

  const ToolRun removed = runTool({L"-d", link});
  EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ERROR_REPARSE_TAG_MISMATCH)) << removed.err;
  EXPECT_TRUE(outside.hostLinkThere());

  const ToolRun searched = runTool({L"-s", outside.at(L"")});
  EXPECT_EQ(searched.out, L"");

  const ToolRun created = runTool({outside.at(L"new"), target});
  EXPECT_EQ(created.exitCode, static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << created.err;
  EXPECT_NE(created.err.find(L"outside the Wine prefix's drive_c"), std::wstring::npos)
      << created.err;
  EXPECT_FALSE(exists(outside.at(L"new")));
}

// A link from the scratch folder to `target`, and a second folder to lead it to instead.
class Retarget : public JunctionTool {
 protected:
  void SetUp() override {
    JunctionTool::SetUp();
    other = scratch.folder(L"other");
    scratch.file(L"other\\three.txt", "third");
    link = scratch.at(L"link");
    const ToolRun made = runTool({link, target});
    ASSERT_EQ(made.exitCode, 0u) << testing::PrintToString(made.err);
  }
  std::wstring shown(const std::wstring& to) const { return link + L" -> " + to + L"\r\n"; }

  std::wstring other;
  std::wstring link;
};

TEST_F(Retarget, ChangesWhereTheLinkLeadsOrRefusesAndLeavesIt) {
  const ToolRun changed = runTool({L"-r", link, other});
  ASSERT_EQ(changed.exitCode, 0u) << changed.err;
  EXPECT_EQ(changed.out, L"Changed " + link + L" -> " + other + L" (was " + target + L")\r\n");
  EXPECT_EQ(namesIn(link), (std::set<std::wstring>{L"three.txt"}));
  EXPECT_EQ(runTool({link}).out, shown(other));
  EXPECT_EQ(namesIn(scratch.root()), (std::set<std::wstring>{L"link", L"other", L"target"}))
      << "nothing left beside the link";

  const std::wstring folder = scratch.folder(L"real");
  struct Case {
    const wchar_t* what;
    std::vector<std::wstring> args;
    DWORD code;
  };
  const Case cases[] = {
      {L"a real folder", {L"-r", folder, target}, ERROR_NOT_A_REPARSE_POINT},
      {L"no LINK", {L"-r", scratch.at(L"gone"), target}, ERROR_FILE_NOT_FOUND},
      {L"no TARGET", {L"-r", link, scratch.at(L"nowhere")}, ERROR_PATH_NOT_FOUND},
      {L"a file as TARGET", {L"-r", link, target + L"\\one.txt"}, ERROR_DIRECTORY},
      {L"LINK inside TARGET", {L"-r", link, scratch.root()}, ERROR_CANT_RESOLVE_FILENAME},
  };
  for (const Case& c : cases) {
    const ToolRun run = runTool(c.args);
    EXPECT_EQ(run.exitCode, c.code) << c.what << ": " << testing::PrintToString(run.err);
    EXPECT_EQ(lineCount(run.err), 1u) << c.what;
    EXPECT_EQ(runTool({link}).out, shown(other)) << c.what;
  }
  EXPECT_FALSE(isReparsePoint(folder));
}

TEST_F(Retarget, TheLinkIsThereAtEveryMomentOfAChange) {
  std::atomic<bool> done{false};
  std::atomic<int> looks{0}, missing{0};
  std::thread watcher([&] {
    while (!done) {
      ++looks;
      if (!exists(link)) ++missing;
    }
  });
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(runTool({L"-r", link, i % 2 ? target : other}).exitCode, 0u);
  }
  done = true;
  watcher.join();
  EXPECT_GT(looks.load(), 100);
  EXPECT_EQ(missing.load(), 0) << "of " << looks.load() << " looks";
  EXPECT_EQ(runTool({link}).out, shown(target));
}

// Under Wine: the host link's folder made unchangeable (`chattr +i`, undone however the test
// ends): the new link cannot be made beside the old, which stays as it was.
class UnchangeableFolder {
 public:
  explicit UnchangeableFolder(const std::wstring& folder) {
    if (!shell_.unixPath(L"\\\\?\\" + folder, host_).ok) return;
    set_ = shell_.run(L"chattr +i -- \"$1\"", {host_}, 1, 10000).ok;
  }
  ~UnchangeableFolder() {
    if (set_) shell_.run(L"chattr -i -- \"$1\"", {host_}, 1, 10000);
  }
  UnchangeableFolder(const UnchangeableFolder&) = delete;
  UnchangeableFolder& operator=(const UnchangeableFolder&) = delete;
  bool set() const { return set_; }

 private:
  junction::win32::HostShell shell_;
  std::wstring host_;
  bool set_ = false;
};

TEST_F(Retarget, AFailedStepLeavesTheOldLinkAndNothingBesideIt) {
  if (!mirafold::base::win32::runningUnderWine())
    GTEST_SKIP() << "host links stand in for junctions only under Wine";
  {
    const UnchangeableFolder frozen(scratch.root());
    if (!frozen.set()) GTEST_SKIP() << "chattr +i did not take here (not root, or no ext4-like FS)";
    const ToolRun refused = runTool({L"-r", link, other});
    EXPECT_NE(refused.exitCode, 0u);
    EXPECT_NE(refused.err.find(L"It leads to " + target + L"."), std::wstring::npos) << refused.err;
    EXPECT_EQ(runTool({link}).out, shown(target));
  }
  // No answer waited for: the tool gives up on the host command, which then either never runs
  // or has replaced the link; what the exit code says is what stands.
  ::SetEnvironmentVariableW(L"JUNCTION_HOST_ANSWER_MS", L"0");
  const ToolRun hurried = runTool({L"-r", link, other});
  ::SetEnvironmentVariableW(L"JUNCTION_HOST_ANSWER_MS", nullptr);
  ::Sleep(1000);  // a late change would show by now
  if (hurried.exitCode == 0) {
    EXPECT_EQ(runTool({link}).out, shown(other));
  } else {
    EXPECT_EQ(hurried.exitCode, static_cast<DWORD>(ERROR_TIMEOUT)) << hurried.err;
    EXPECT_EQ(runTool({link}).out, shown(target));
  }
  EXPECT_EQ(namesIn(scratch.root()), (std::set<std::wstring>{L"link", L"other", L"target"}));
}

// Under Wine: one host step of the change made to fail. The run
// windows.junction_tool_test.host_faults puts stand-ins for ln and mv first on the host PATH; one
// fails while its "fail-" file is there, and marks that it ran, so that a fault not injected is
// told apart from one that changed nothing.
class FailingHostStep {
 public:
  FailingHostStep(const std::wstring& folder, const std::wstring& step)
      : fail_(folder + L"\\fail-" + step), ran_(folder + L"\\ran-" + step) {
    ::DeleteFileW(ran_.c_str());
    ::CloseHandle(
        ::CreateFileW(fail_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  ~FailingHostStep() {
    ::DeleteFileW(fail_.c_str());
    ::DeleteFileW(ran_.c_str());
  }
  FailingHostStep(const FailingHostStep&) = delete;
  FailingHostStep& operator=(const FailingHostStep&) = delete;
  bool ran() const { return exists(ran_); }

 private:
  std::wstring fail_, ran_;
};

TEST_F(Retarget, EachHostStepThatFailsLeavesTheOldLinkAndNothingBesideIt) {
  wchar_t host[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"JUNCTION_TEST_HOST_FAULTS", host, MAX_PATH))
    GTEST_SKIP() << "run by windows.junction_tool_test.host_faults, which sets the host PATH";
  std::wstring folder = L"Z:" + std::wstring(host);
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  for (const wchar_t* step : {L"ln", L"mv"}) {
    const FailingHostStep failing(folder, step);
    const ToolRun refused = runTool({L"-r", link, other});
    ASSERT_TRUE(failing.ran()) << step << " was not the stand-in: the host PATH is not this run's";
    EXPECT_EQ(refused.exitCode, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << step;
    EXPECT_NE(refused.err.find(L"It leads to " + target + L"."), std::wstring::npos)
        << step << ": " << testing::PrintToString(refused.err);
    EXPECT_EQ(runTool({link}).out, shown(target)) << step;
    EXPECT_EQ(namesIn(scratch.root()), (std::set<std::wstring>{L"link", L"other", L"target"}))
        << step << ": the new link made beside goes again";
  }
  EXPECT_EQ(runTool({L"-r", link, other}).exitCode, 0u) << "with no fault left";
}

TEST(JunctionToolCommandLine, LicenceSwitchHelpAndMistakes) {
  const ToolRun eula = runTool({L"/accepteula"});
  EXPECT_EQ(eula.exitCode, 0u);
  EXPECT_EQ(eula.out + eula.err, L"");
  const ToolRun help = runTool({L"/?"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.out.find(L"Usage"), std::wstring::npos);
  const ToolRun none = runTool({});
  EXPECT_EQ(none.exitCode, 0x20000001u);  // a usage error: no system error code has this value
  EXPECT_NE(none.err.find(L"Usage"), std::wstring::npos);
  const ToolRun unknown = runTool({L"-x", L"a"});
  EXPECT_EQ(unknown.exitCode, 0x20000001u);
  EXPECT_NE(unknown.err.find(L"Unknown option -x."), std::wstring::npos);
}

}  // namespace

// The manifest lets the tool take long paths where the machine allows them, and names the
// systems it was made for (without them Windows 10 reports itself as 8 and applies old shims).
TEST(JunctionToolManifest, DeclaresLongPathsAndTheSystemsItSupports) {
  const HMODULE tool = ::LoadLibraryExW(toolPath().c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(tool, nullptr);
  const HRSRC found = ::FindResourceW(tool, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(tool, found)));
  const std::string manifest(bytes, ::SizeofResource(tool, found));
  ::FreeLibrary(tool);
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

// A SUBST letter lives in one logon session: the junction holds the folder behind it, so that an
// elevated program, a service or another user follows it too.
TEST_F(JunctionTool, WritesTheFolderBehindASubstLetter) {
  wchar_t letter = 0;
  for (wchar_t c = L'Y'; c > L'D' && !letter; --c) {
    const wchar_t root[] = {c, L':', L'\\', L'\0'};
    if (::GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) letter = c;
  }
  ASSERT_NE(letter, 0) << "no free drive letter";
  const wchar_t name[] = {letter, L':', L'\0'};
  ASSERT_TRUE(::DefineDosDeviceW(0, name, target.c_str()));
  const std::wstring link = scratch.at(L"link");
  const ToolRun created = runTool({link, std::wstring(name) + L"\\"});
  ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, name, nullptr);
  ASSERT_EQ(created.exitCode, 0u) << created.err;
  EXPECT_EQ(created.out, L"Created " + link + L" -> " + target + L"\r\n");
  EXPECT_EQ(namesIn(link), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(runTool({L"-d", link}).exitCode, 0u);
}

TEST_F(JunctionTool, RefusesATargetOnANetworkDriveAndMakesNothing) {
  if (::GetDriveTypeW(L"N:\\") != DRIVE_REMOTE) GTEST_SKIP() << "N: is no network drive here";
  const std::wstring link = scratch.at(L"link");
  const ToolRun refused = runTool({link, L"N:\\shared"});
  EXPECT_EQ(refused.exitCode, 161u) << refused.err;
  EXPECT_NE(refused.err.find(L"is not on a local drive"), std::wstring::npos) << refused.err;
  EXPECT_FALSE(exists(link));
}
