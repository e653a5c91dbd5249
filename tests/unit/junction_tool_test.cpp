#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "junction/reparse_data.h"
#include "junction/tool.h"

namespace junction {
namespace {

// A file system in memory: absolute path -> entry; a folder's children are the paths below it.
class FakeSystem : public System {
 public:
  std::map<std::wstring, Entry> entries;
  std::wstring currentFolder = L"C:\\work";
  bool hostLinks = false;
  std::wstring writeFailure;   // non-empty: writeReparseData fails with this reason
  std::wstring removeFailure;  // non-empty: removeEmptyFolder fails with this reason
  std::vector<std::wstring> unlistable;
  std::vector<std::wstring> calls;
  std::vector<std::uint8_t> written;

  void folder(const std::wstring& p) { entries[p] = Entry{EntryKind::Folder, {}, {}}; }
  void file(const std::wstring& p) { entries[p] = Entry{EntryKind::File, {}, {}}; }
  void junction(const std::wstring& p, const std::wstring& t) {
    entries[p] = Entry{EntryKind::Junction, t, {}};
  }

  Status fullPath(const std::wstring& path, std::wstring& absolute) override {
    const bool rooted = (path.size() > 1 && path[1] == L':') || path.rfind(L"\\\\", 0) == 0;
    absolute = rooted ? path : currentFolder + L"\\" + path;
    return Status::success();
  }
  Entry inspect(const std::wstring& path) override {
    auto it = entries.find(path);
    return it == entries.end() ? Entry{} : it->second;
  }
  Status listFolder(const std::wstring& path, std::vector<Child>& children) override {
    calls.push_back(L"list " + path);
    for (const auto& u : unlistable) {
      if (u == path) return Status::failure(L"Access is denied.");
    }
    const std::wstring prefix = path + L"\\";
    for (const auto& [p, e] : entries) {
      if (p.rfind(prefix, 0) == 0 && p.find(L'\\', prefix.size()) == std::wstring::npos) {
        children.push_back(Child{p.substr(prefix.size()), e.kind});
      }
    }
    return Status::success();
  }
  Status createFolder(const std::wstring& path) override {
    calls.push_back(L"mkdir " + path);
    folder(path);
    return Status::success();
  }
  Status removeEmptyFolder(const std::wstring& path) override {
    calls.push_back(L"rmdir " + path);
    if (!removeFailure.empty()) return Status::failure(removeFailure);
    entries.erase(path);
    return Status::success();
  }
  Status writeReparseData(const std::wstring& path,
                          const std::vector<std::uint8_t>& bytes) override {
    calls.push_back(L"reparse " + path);
    if (!writeFailure.empty()) return Status::failure(writeFailure);
    written = bytes;
    entries[path] = Entry{EntryKind::Junction, parseMountPointData(bytes)->printName, {}};
    return Status::success();
  }
  Status removeJunction(const std::wstring& path) override {
    calls.push_back(L"unjunction " + path);
    entries.erase(path);
    return Status::success();
  }
  bool makesHostLinks() const override { return hostLinks; }
  Status makeHostLink(const std::wstring& link, const std::wstring& target) override {
    calls.push_back(L"ln " + target + L" " + link);
    entries[link] = Entry{EntryKind::HostLink, target, {}};
    return Status::success();
  }
  Status removeHostLink(const std::wstring& link) override {
    calls.push_back(L"unlink " + link);
    entries.erase(link);
    return Status::success();
  }
};

struct RecordingConsole : Console {
  std::vector<std::wstring> outLines;
  std::vector<std::wstring> errLines;
  void out(const std::wstring& line) override { outLines.push_back(line); }
  void err(const std::wstring& line) override { errLines.push_back(line); }
};

class JunctionTool : public testing::Test {
 protected:
  void SetUp() override {
    fs.folder(L"C:\\work");
    fs.folder(L"C:\\data");
    fs.file(L"C:\\data\\keep.txt");
  }
  int run(std::vector<std::wstring> args) {
    return junction::run(parseArguments(args), fs, console);
  }

  FakeSystem fs;
  RecordingConsole console;
};

TEST_F(JunctionTool, CreatesAFolderThenWritesTheMountPoint) {
  EXPECT_EQ(run({L"link", L"C:\\data\\"}), 0);
  EXPECT_EQ(fs.calls,
            (std::vector<std::wstring>{L"mkdir C:\\work\\link", L"reparse C:\\work\\link"}));
  const auto names = parseMountPointData(fs.written);
  ASSERT_TRUE(names);
  EXPECT_EQ(names->substituteName, L"\\??\\C:\\data");
  EXPECT_EQ(names->printName, L"C:\\data");
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{L"Created C:\\work\\link -> C:\\data"}));
  EXPECT_TRUE(console.errLines.empty());
}

TEST_F(JunctionTool, ResolvesARelativeTargetAgainstTheCurrentFolder) {
  fs.folder(L"C:\\work\\sub");
  EXPECT_EQ(run({L"C:\\link", L"sub"}), 0);
  EXPECT_EQ(parseMountPointData(fs.written)->printName, L"C:\\work\\sub");
}

TEST_F(JunctionTool, UnderWineMakesAHostLinkAndNoFolder) {
  fs.hostLinks = true;
  EXPECT_EQ(run({L"link", L"C:\\data"}), 0);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"ln C:\\data C:\\work\\link"}));
}

struct Refusal {
  const wchar_t* what;
  void (*prepare)(FakeSystem&);
  std::vector<std::wstring> args;
  std::wstring message;
};

class RefusedCreation : public JunctionTool, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedCreation, ChangesNothingAndSaysWhy) {
  GetParam().prepare(fs);
  const auto before = fs.entries;
  EXPECT_EQ(run(GetParam().args), 1) << GetParam().what;
  EXPECT_TRUE(fs.calls.empty()) << GetParam().what;
  EXPECT_EQ(fs.entries.size(), before.size());
  EXPECT_EQ(console.errLines, (std::vector<std::wstring>{GetParam().message}));
  EXPECT_TRUE(console.outLines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, RefusedCreation,
    testing::Values(
        Refusal{L"file at LINK",
                [](FakeSystem& f) { f.file(L"C:\\work\\x"); },
                {L"x", L"C:\\data"},
                L"Cannot create C:\\work\\x: a file already exists there."},
        Refusal{L"folder at LINK",
                [](FakeSystem& f) { f.folder(L"C:\\work\\x"); },
                {L"x", L"C:\\data"},
                L"Cannot create C:\\work\\x: a real folder already exists there."},
        Refusal{L"junction at LINK",
                [](FakeSystem& f) { f.junction(L"C:\\work\\x", L"C:\\y"); },
                {L"x", L"C:\\data"},
                L"Cannot create C:\\work\\x: a junction already exists there."},
        Refusal{L"missing target",
                [](FakeSystem&) {},
                {L"x", L"C:\\nothing"},
                L"Cannot create C:\\work\\x: the target C:\\nothing does not exist."},
        Refusal{
            L"file as target",
            [](FakeSystem&) {},
            {L"x", L"C:\\data\\keep.txt"},
            L"Cannot create C:\\work\\x: the target C:\\data\\keep.txt is a file, not a folder."},
        Refusal{L"share as target",
                [](FakeSystem&) {},
                {L"x", L"\\\\srv\\share"},
                L"Cannot create C:\\work\\x: the target \\\\srv\\share is not on a local drive."},
        Refusal{L"unreadable LINK",
                [](FakeSystem& f) {
                  f.entries[L"C:\\work\\x"] = {EntryKind::Unreadable, {}, L"Access is denied."};
                },
                {L"x", L"C:\\data"},
                L"Cannot create C:\\work\\x: Access is denied."}));

TEST_F(JunctionTool, RemovesItsEmptyFolderWhenTheMountPointCannotBeWritten) {
  fs.writeFailure = L"The request is not supported.";
  EXPECT_EQ(run({L"link", L"C:\\data"}), 1);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"mkdir C:\\work\\link", L"reparse C:\\work\\link",
                                                 L"rmdir C:\\work\\link"}));
  EXPECT_EQ(fs.entries.count(L"C:\\work\\link"), 0u);
  EXPECT_EQ(
      console.errLines,
      (std::vector<std::wstring>{L"Cannot create C:\\work\\link: The request is not supported."}));
}

TEST_F(JunctionTool, SaysSoWhenEvenTheEmptyFolderCannotBeRemoved) {
  fs.writeFailure = L"The request is not supported.";
  fs.removeFailure = L"Access is denied.";
  EXPECT_EQ(run({L"link", L"C:\\data"}), 1);
  ASSERT_EQ(console.errLines.size(), 1u);
  EXPECT_NE(console.errLines[0].find(L"The request is not supported."), std::wstring::npos);
  EXPECT_NE(console.errLines[0].find(L"could not be removed: Access is denied."),
            std::wstring::npos);
}

TEST_F(JunctionTool, QueryShowsTheTargetOrSaysThereIsNoJunction) {
  fs.junction(L"C:\\work\\j", L"C:\\data");
  fs.entries[L"C:\\work\\h"] = Entry{EntryKind::HostLink, L"C:\\data", {}};
  EXPECT_EQ(run({L"j"}), 0);
  EXPECT_EQ(run({L"h"}), 0);
  EXPECT_EQ(run({L"C:\\data"}), 1);
  EXPECT_EQ(run({L"C:\\data\\keep.txt"}), 1);
  EXPECT_EQ(run({L"C:\\nothing"}), 1);
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{
                                  L"C:\\work\\j -> C:\\data",
                                  L"C:\\work\\h -> C:\\data",
                                  L"C:\\data is no junction: it is a real folder.",
                                  L"C:\\data\\keep.txt is no junction: it is a file.",
                              }));
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{L"Cannot read C:\\nothing: it does not exist."}));
  EXPECT_TRUE(fs.calls.empty());
}

TEST_F(JunctionTool, DeleteRemovesOnlyJunctionsAndHostLinks) {
  fs.junction(L"C:\\work\\j", L"C:\\data");
  fs.entries[L"C:\\work\\h"] = Entry{EntryKind::HostLink, L"C:\\data", {}};
  fs.entries[L"C:\\work\\s"] = Entry{EntryKind::OtherLink, {}, {}};
  EXPECT_EQ(run({L"-d", L"j"}), 0);
  EXPECT_EQ(run({L"-d", L"h\\"}), 0);
  EXPECT_EQ(run({L"-d", L"C:\\data"}), 1);
  EXPECT_EQ(run({L"-d", L"C:\\data\\keep.txt"}), 1);
  EXPECT_EQ(run({L"-d", L"s"}), 1);
  EXPECT_EQ(run({L"-d", L"gone"}), 1);
  EXPECT_EQ(fs.calls,
            (std::vector<std::wstring>{L"unjunction C:\\work\\j", L"unlink C:\\work\\h"}));
  EXPECT_EQ(fs.entries.count(L"C:\\data"), 1u);
  EXPECT_EQ(fs.entries.count(L"C:\\data\\keep.txt"), 1u);
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{
                L"Cannot remove C:\\data: it is a real folder, not a junction; left as it is.",
                L"Cannot remove C:\\data\\keep.txt: it is a file, not a junction; left as it is.",
                L"Cannot remove C:\\work\\s: it is a link of another kind, not a junction; left as "
                L"it is.",
                L"Cannot remove C:\\work\\gone: it does not exist."}));
}

TEST_F(JunctionTool, ScanListsJunctionsAtAnyDepthWithoutEnteringThem) {
  fs.folder(L"C:\\work\\a");
  fs.folder(L"C:\\work\\a\\b");
  fs.junction(L"C:\\work\\a\\b\\deep", L"C:\\data");
  fs.junction(L"C:\\work\\top", L"C:\\work\\a");
  fs.folder(L"C:\\work\\top\\inside");  // what a listing through the junction would show
  fs.junction(L"C:\\work\\top\\inside\\hidden", L"C:\\data");
  fs.entries[L"C:\\work\\host"] = Entry{EntryKind::HostLink, L"C:\\data", {}};
  fs.file(L"C:\\work\\a\\note.txt");

  EXPECT_EQ(run({L"-s", L"C:\\work"}), 0);
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{
                                  L"C:\\work\\host -> C:\\data",
                                  L"C:\\work\\top -> C:\\work\\a",
                                  L"C:\\work\\a\\b\\deep -> C:\\data",
                              }));
  for (const auto& call : fs.calls) {
    EXPECT_EQ(call.find(L"top"), std::wstring::npos) << call;
    EXPECT_EQ(call.find(L"host"), std::wstring::npos) << call;
  }
}

TEST_F(JunctionTool, ScanGoesOnPastAnUnreadableFolderButFails) {
  fs.folder(L"C:\\work\\locked");
  fs.folder(L"C:\\work\\open");
  fs.junction(L"C:\\work\\open\\j", L"C:\\data");
  fs.unlistable = {L"C:\\work\\locked"};
  EXPECT_EQ(run({L"-s", L"C:\\work"}), 1);
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{L"C:\\work\\open\\j -> C:\\data"}));
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{L"Cannot search C:\\work\\locked: Access is denied."}));
}

TEST_F(JunctionTool, ScanRefusesWhatIsNoFolder) {
  EXPECT_EQ(run({L"-s", L"C:\\data\\keep.txt"}), 1);
  EXPECT_EQ(run({L"-s", L"C:\\nothing"}), 1);
  EXPECT_EQ(console.errLines.size(), 2u);
}

}  // namespace
}  // namespace junction
