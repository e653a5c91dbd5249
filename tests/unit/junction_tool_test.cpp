#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/entry_reading.h"
#include "base/reparse_data.h"
#include "junction/entry_of.h"
#include "junction/exit_codes.h"
#include "junction/tool.h"

namespace junction {
namespace {

// A file system in memory: absolute path -> entry; a folder's children are the paths below it.
// Mount points hold reparse bytes, read the way the Windows side reads them.
class FakeSystem : public System {
 public:
  std::map<std::wstring, Entry> entries;
  std::map<std::wstring, std::vector<std::uint8_t>> reparse;
  std::wstring currentFolder = L"C:\\work";
  bool hostLinks = false;
  Status writeFailure = Status::success();   // what setReparseData gives
  Status removeFailure = Status::success();  // what discarding a new folder gives
  std::function<void()> onOpen;              // runs as a link is opened: a swap by someone else
  std::vector<std::wstring> unlistable;
  std::vector<std::wstring> calls;
  std::vector<std::uint8_t> written;

  void folder(const std::wstring& p) { entries[p] = Entry{EntryKind::Folder, {}, {}, 0, {}}; }
  void file(const std::wstring& p) { entries[p] = Entry{EntryKind::File, {}, {}, 0, {}}; }
  void mountPoint(const std::wstring& p, const std::wstring& substitute,
                  const std::wstring& print) {
    entries[p] = Entry{EntryKind::Junction, {}, {}, 0, {}};
    reparse[p] = *mirafold::base::buildMountPointData({substitute, print});
  }
  void junction(const std::wstring& p, const std::wstring& t) { mountPoint(p, L"\\??\\" + t, t); }
  void erase(const std::wstring& p) {
    entries.erase(p);
    reparse.erase(p);
  }

  Status fullPath(const std::wstring& path, std::wstring& absolute) override {
    const bool rooted = (path.size() > 1 && path[1] == L':') || path.rfind(L"\\\\", 0) == 0;
    absolute = rooted ? path : currentFolder + L"\\" + path;
    return Status::success();
  }
  std::map<wchar_t, DriveDevice> devices;  // others: a local volume
  DriveDevice driveDevice(wchar_t letter) override {
    const auto found = devices.find(letter);
    return found == devices.end() ? DriveDevice{false, L"\\Device\\HarddiskVolume1"}
                                  : found->second;
  }
  Entry inspect(const std::wstring& path) override {
    if (auto r = reparse.find(path); r != reparse.end()) {
      constexpr std::uint32_t kMountedFolder =
          mirafold::base::kAttributeFolder | mirafold::base::kAttributeReparsePoint;
      return entryOf(mirafold::base::readingOf(kMountedFolder, r->second, false));
    }
    auto it = entries.find(path);
    return it == entries.end() ? Entry{} : it->second;
  }
  Status listFolder(const std::wstring& path, std::vector<Child>& children) override {
    calls.push_back(L"list " + path);
    for (const auto& u : unlistable) {
      if (u == path) return Status::failure(5, L"Access is denied.");
    }
    const std::wstring prefix = path + L"\\";
    for (const auto& [p, e] : entries) {
      if (p.rfind(prefix, 0) == 0 && p.find(L'\\', prefix.size()) == std::wstring::npos) {
        children.push_back(Child{p.substr(prefix.size()), e.kind});
      }
    }
    return Status::success();
  }

  class NewFakeFolder : public NewFolder {
   public:
    NewFakeFolder(FakeSystem& fs, std::wstring path) : fs_(fs), path_(std::move(path)) {}
    Status setReparseData(const std::vector<std::uint8_t>& bytes) override {
      fs_.calls.push_back(L"reparse " + path_);
      if (!fs_.writeFailure.ok) return fs_.writeFailure;
      fs_.written = bytes;
      fs_.entries[path_] = Entry{EntryKind::Junction, {}, {}, 0, {}};
      fs_.reparse[path_] = bytes;
      return Status::success();
    }
    Status discard() override {
      fs_.calls.push_back(L"discard " + path_);
      if (!fs_.removeFailure.ok) return fs_.removeFailure;
      fs_.erase(path_);
      return Status::success();
    }

   private:
    FakeSystem& fs_;
    std::wstring path_;
  };

  class OpenFakeLink : public OpenLink {
   public:
    OpenFakeLink(FakeSystem& fs, std::wstring path) : fs_(fs), path_(std::move(path)) {}
    Entry read() override { return fs_.inspect(path_); }
    Status remove() override {
      fs_.calls.push_back(L"delete " + path_);
      fs_.erase(path_);
      return Status::success();
    }
    Status setReparseData(const std::vector<std::uint8_t>& bytes) override {
      fs_.calls.push_back(L"rewrite " + path_);
      if (!fs_.writeFailure.ok) return fs_.writeFailure;
      fs_.reparse[path_] = fs_.readsBackWrong-- > 0
                               ? *mirafold::base::buildMountPointData({L"\\??\\C:\\x", L""})
                               : bytes;
      return Status::success();
    }

   private:
    FakeSystem& fs_;
    std::wstring path_;
  };

  Status createFolder(const std::wstring& path, std::unique_ptr<NewFolder>& made) override {
    calls.push_back(L"mkdir " + path);
    if (entries.count(path))
      return Status::failure(183, L"Cannot create a file when that file already exists.");
    folder(path);
    made = std::make_unique<NewFakeFolder>(*this, path);
    return Status::success();
  }
  Status openLink(const std::wstring& path, LinkAccess access,
                  std::unique_ptr<OpenLink>& opened) override {
    calls.push_back((access == LinkAccess::Remove ? L"open " : L"open to rewrite ") + path);
    if (onOpen) onOpen();
    opened = std::make_unique<OpenFakeLink>(*this, path);
    return Status::success();
  }
  bool makesHostLinks() const override { return hostLinks; }
  Status makeHostLink(const std::wstring& link, const std::wstring& target) override {
    calls.push_back(L"ln " + target + L" " + link);
    entries[link] = Entry{EntryKind::HostLink, target, {}, 0, {}};
    return Status::success();
  }
  Status removeHostLink(const std::wstring& link) override {
    calls.push_back(L"unlink " + link);
    entries.erase(link);
    return Status::success();
  }
  Status replaceHostLink(const std::wstring& link, const std::wstring& target) override {
    calls.push_back(L"ln over " + link + L" " + target);
    if (!writeFailure.ok) return writeFailure;
    entries[link].target = target;
    return Status::success();
  }
  std::map<std::wstring, std::wstring> reached;  // a folder reached through a link: where
  Status resolvedPath(const std::wstring& path, std::wstring& resolved) override {
    const auto found = reached.find(path);
    resolved = found == reached.end() ? path : found->second;
    return Status::success();
  }
  int readsBackWrong = 0;  // rewrites whose data then reads back as another target
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
  std::uint32_t run(std::vector<std::wstring> args) {
    return junction::run(parseArguments(args), fs, console);
  }

  FakeSystem fs;
  RecordingConsole console;
};

using namespace exit_code;
using mirafold::base::parseMountPointData;

TEST_F(JunctionTool, CreatesAFolderThenWritesTheMountPointThroughItsHandle) {
  EXPECT_EQ(run({L"link", L"C:\\data\\"}), kSuccess);
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
  EXPECT_EQ(run({L"C:\\link", L"sub"}), kSuccess);
  EXPECT_EQ(parseMountPointData(fs.written)->printName, L"C:\\work\\sub");
}

// A SUBST letter exists in the user's logon session only: the junction holds the real folder.
TEST_F(JunctionTool, WritesTheFolderBehindSubstLettersOfLinkAndTarget) {
  fs.devices[L'S'] = {false, L"\\??\\C:\\data"};
  fs.devices[L'W'] = {false, L"\\??\\C:\\work\\"};
  EXPECT_EQ(run({L"W:\\link", L"S:\\"}), kSuccess);
  EXPECT_EQ(fs.calls,
            (std::vector<std::wstring>{L"mkdir C:\\work\\link", L"reparse C:\\work\\link"}));
  EXPECT_EQ(parseMountPointData(fs.written)->substituteName, L"\\??\\C:\\data");
}

TEST_F(JunctionTool, UnderWineMakesAHostLinkAndNoFolder) {
  fs.hostLinks = true;
  EXPECT_EQ(run({L"link", L"C:\\data"}), kSuccess);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"ln C:\\data C:\\work\\link"}));
}

struct Refusal {
  const wchar_t* what;
  void (*prepare)(FakeSystem&);
  std::vector<std::wstring> args;
  std::uint32_t exitCode;
  std::wstring message;
};

class RefusedCreation : public JunctionTool, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedCreation, ChangesNothingAndSaysWhyWithTheSystemsCode) {
  GetParam().prepare(fs);
  const auto before = fs.entries;
  EXPECT_EQ(run(GetParam().args), GetParam().exitCode) << GetParam().what;
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
                kAlreadyExists,
                L"Cannot create C:\\work\\x: a file already exists there."},
        Refusal{L"folder at LINK",
                [](FakeSystem& f) { f.folder(L"C:\\work\\x"); },
                {L"x", L"C:\\data"},
                kAlreadyExists,
                L"Cannot create C:\\work\\x: a real folder already exists there."},
        Refusal{L"junction at LINK",
                [](FakeSystem& f) { f.junction(L"C:\\work\\x", L"C:\\y"); },
                {L"x", L"C:\\data"},
                kAlreadyExists,
                L"Cannot create C:\\work\\x: a junction already exists there."},
        Refusal{L"missing target",
                [](FakeSystem&) {},
                {L"x", L"C:\\nothing"},
                kPathNotFound,
                L"Cannot create C:\\work\\x: the target C:\\nothing does not exist."},
        Refusal{
            L"file as target",
            [](FakeSystem&) {},
            {L"x", L"C:\\data\\keep.txt"},
            kNotAFolder,
            L"Cannot create C:\\work\\x: the target C:\\data\\keep.txt is a file, not a folder."},
        Refusal{L"share as target",
                [](FakeSystem&) {},
                {L"x", L"\\\\srv\\share"},
                kBadPathname,
                L"Cannot create C:\\work\\x: the target \\\\srv\\share is not on a local drive."},
        Refusal{L"mapped network drive as target",
                [](FakeSystem& f) {
                  f.devices[L'N'] = {true, L"\\Device\\Mup\\srv\\share"};
                },
                {L"x", L"N:\\data"},
                kBadPathname,
                L"Cannot create C:\\work\\x: the target N:\\data is not on a local drive."},
        Refusal{L"LINK on a mapped network drive",
                [](FakeSystem& f) {
                  f.devices[L'N'] = {true, L"\\Device\\Mup\\srv\\share"};
                },
                {L"N:\\x", L"C:\\data"},
                kBadPathname,
                L"Cannot create N:\\x: it is not on a local drive."},
        Refusal{
            L"unreadable LINK",
            [](FakeSystem& f) {
              f.entries[L"C:\\work\\x"] = {EntryKind::Unreadable, {}, {}, 5, L"Access is denied."};
            },
            {L"x", L"C:\\data"},
            5,
            L"Cannot create C:\\work\\x: Access is denied."}));

TEST_F(JunctionTool, DiscardsItsNewFolderWhenTheMountPointCannotBeWritten) {
  fs.writeFailure = Status::failure(kNotSupported, L"The request is not supported.");
  EXPECT_EQ(run({L"link", L"C:\\data"}), kNotSupported);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"mkdir C:\\work\\link", L"reparse C:\\work\\link",
                                                 L"discard C:\\work\\link"}));
  EXPECT_EQ(fs.entries.count(L"C:\\work\\link"), 0u);
  EXPECT_EQ(
      console.errLines,
      (std::vector<std::wstring>{L"Cannot create C:\\work\\link: The request is not supported."}));
}

TEST_F(JunctionTool, ExitsWithTheWriteErrorEvenWhenTheEmptyFolderStays) {
  fs.writeFailure = Status::failure(kNotSupported, L"The request is not supported.");
  fs.removeFailure = Status::failure(5, L"Access is denied.");
  EXPECT_EQ(run({L"link", L"C:\\data"}), kNotSupported);
  ASSERT_EQ(console.errLines.size(), 1u);
  EXPECT_NE(console.errLines[0].find(L"The request is not supported."), std::wstring::npos);
  EXPECT_NE(console.errLines[0].find(L"could not be removed: Access is denied."),
            std::wstring::npos);
}

TEST_F(JunctionTool, ALinkPathTakenAfterTheCheckFailsWithTheSystemsCode) {
  // createFolder fails when something appeared in between: nothing is written, nothing removed.
  // The first look saw nothing there.
  fs.entries[L"C:\\work\\link"] = Entry{EntryKind::Folder, {}, {}, 0, {}};
  struct Racing : FakeSystem {
    Entry inspect(const std::wstring& path) override {
      return path == L"C:\\work\\link" ? Entry{} : FakeSystem::inspect(path);
    }
  } racing;
  racing.entries = fs.entries;
  RecordingConsole out;
  EXPECT_EQ(junction::run(parseArguments({L"link", L"C:\\data"}), racing, out), kAlreadyExists);
  EXPECT_EQ(racing.calls, (std::vector<std::wstring>{L"mkdir C:\\work\\link"}));
  EXPECT_EQ(racing.entries.at(L"C:\\work\\link").kind, EntryKind::Folder);
}

TEST_F(JunctionTool, QueryShowsTheTargetOrSaysThereIsNoJunction) {
  fs.junction(L"C:\\work\\j", L"C:\\data");
  fs.entries[L"C:\\work\\h"] = Entry{EntryKind::HostLink, L"C:\\data", {}, 0, {}};
  EXPECT_EQ(run({L"j"}), kSuccess);
  EXPECT_EQ(run({L"h"}), kSuccess);
  EXPECT_EQ(run({L"C:\\data"}), kNotAReparsePoint);
  EXPECT_EQ(run({L"C:\\data\\keep.txt"}), kNotAReparsePoint);
  EXPECT_EQ(run({L"C:\\nothing"}), kFileNotFound);
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

TEST_F(JunctionTool, DeleteRemovesOnlyJunctionsAndHostLinksThroughTheHandleItChecked) {
  fs.junction(L"C:\\work\\j", L"C:\\data");
  fs.entries[L"C:\\work\\h"] = Entry{EntryKind::HostLink, L"C:\\data", {}, 0, {}};
  fs.entries[L"C:\\work\\s"] = Entry{EntryKind::OtherLink, {}, {}, 0, {}};
  EXPECT_EQ(run({L"-d", L"j"}), kSuccess);
  EXPECT_EQ(run({L"-d", L"h\\"}), kSuccess);
  EXPECT_EQ(run({L"-d", L"C:\\data"}), kNotAReparsePoint);
  EXPECT_EQ(run({L"-d", L"C:\\data\\keep.txt"}), kNotAReparsePoint);
  EXPECT_EQ(run({L"-d", L"s"}), kReparseTagMismatch);
  EXPECT_EQ(run({L"-d", L"gone"}), kFileNotFound);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"open C:\\work\\j", L"delete C:\\work\\j",
                                                 L"unlink C:\\work\\h"}));
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

TEST_F(JunctionTool, DeleteDecidesOnWhatItOpenedNotOnWhatItSawBefore) {
  // Between the first look and the opening, the junction is swapped for a real folder with files.
  fs.junction(L"C:\\work\\j", L"C:\\data");
  fs.onOpen = [&] {
    fs.erase(L"C:\\work\\j");
    fs.folder(L"C:\\work\\j");
    fs.file(L"C:\\work\\j\\precious.txt");
  };
  EXPECT_EQ(run({L"-d", L"j"}), kNotAReparsePoint);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"open C:\\work\\j"}));
  EXPECT_EQ(fs.entries.count(L"C:\\work\\j\\precious.txt"), 1u);
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{L"Cannot remove C:\\work\\j: it is a real "
                                       L"folder, not a junction; left as it is."}));
}

constexpr const wchar_t* kVolume = L"\\??\\Volume{2a3c5e7f-0000-4000-8000-00000000abcd}\\";
constexpr const wchar_t* kVolumeShown = L"\\\\?\\Volume{2a3c5e7f-0000-4000-8000-00000000abcd}\\";

TEST_F(JunctionTool, AVolumeMountPointIsShownAsOneAndNeverRemoved) {
  fs.folder(L"C:\\work\\mnt");
  fs.mountPoint(L"C:\\work\\mnt\\disk", kVolume, L"");
  const std::wstring shown = std::wstring(L"C:\\work\\mnt\\disk -> ") + kVolumeShown +
                             L" (a volume mount point, not a junction)";
  EXPECT_EQ(run({L"C:\\work\\mnt\\disk"}), kReparseTagMismatch);
  EXPECT_EQ(run({L"-s", L"C:\\work\\mnt"}), kSuccess);
  EXPECT_EQ(run({L"-d", L"C:\\work\\mnt\\disk"}), kReparseTagMismatch);
  EXPECT_EQ(console.outLines,
            (std::vector<std::wstring>{
                std::wstring(L"C:\\work\\mnt\\disk is no junction: it is a mount point of the "
                             L"volume ") +
                    kVolumeShown + L".",
                shown}));
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{std::wstring(L"Cannot remove C:\\work\\mnt\\disk: it is a "
                                                    L"mount point of the volume ") +
                                       kVolumeShown + L", not a junction; left as it is."}));
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"list C:\\work\\mnt"}));  // never opened
  EXPECT_EQ(fs.reparse.count(L"C:\\work\\mnt\\disk"), 1u);
}

TEST_F(JunctionTool, ShowsThePathTheSystemFollowsAndAMisleadingPrintNameOnlyAfterIt) {
  fs.mountPoint(L"C:\\work\\j", L"\\??\\C:\\Windows", L"C:\\Harmless");
  const std::wstring shown = L"C:\\work\\j -> C:\\Windows (print name C:\\Harmless)";
  EXPECT_EQ(run({L"j"}), kSuccess);
  EXPECT_EQ(run({L"-s", L"C:\\work"}), kSuccess);
  EXPECT_EQ(run({L"-d", L"j"}), kSuccess);
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{shown, shown, L"Removed " + shown}));
}

TEST_F(JunctionTool, ScanListsJunctionsAtAnyDepthWithoutEnteringThem) {
  fs.folder(L"C:\\work\\a");
  fs.folder(L"C:\\work\\a\\b");
  fs.junction(L"C:\\work\\a\\b\\deep", L"C:\\data");
  fs.junction(L"C:\\work\\top", L"C:\\work\\a");
  fs.folder(L"C:\\work\\top\\inside");  // what a listing through the junction would show
  fs.junction(L"C:\\work\\top\\inside\\hidden", L"C:\\data");
  fs.entries[L"C:\\work\\host"] = Entry{EntryKind::HostLink, L"C:\\data", {}, 0, {}};
  fs.file(L"C:\\work\\a\\note.txt");

  EXPECT_EQ(run({L"-s", L"C:\\work"}), kSuccess);
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

TEST_F(JunctionTool, ScanGoesOnPastAnUnreadableFolderButExitsWithItsError) {
  fs.folder(L"C:\\work\\locked");
  fs.folder(L"C:\\work\\open");
  fs.junction(L"C:\\work\\open\\j", L"C:\\data");
  fs.unlistable = {L"C:\\work\\locked"};
  EXPECT_EQ(run({L"-s", L"C:\\work"}), 5u);
  EXPECT_EQ(console.outLines, (std::vector<std::wstring>{L"C:\\work\\open\\j -> C:\\data"}));
  EXPECT_EQ(console.errLines,
            (std::vector<std::wstring>{L"Cannot search C:\\work\\locked: Access is denied."}));
}

TEST_F(JunctionTool, ScanRefusesWhatIsNoFolder) {
  EXPECT_EQ(run({L"-s", L"C:\\data\\keep.txt"}), kNotAFolder);
  EXPECT_EQ(run({L"-s", L"C:\\nothing"}), kPathNotFound);
  EXPECT_EQ(console.errLines.size(), 2u);
}

TEST_F(JunctionTool, AUsageErrorHasACodeOfItsOwnThatNoSystemErrorCanTake) {
  EXPECT_EQ(run({L"-x", L"a"}), kUsage);
  EXPECT_EQ(run({}), kUsage);
  EXPECT_EQ(run({L"-d"}), kUsage);
  EXPECT_NE(kUsage & 0x20000000u, 0u);  // the customer bit: never a Win32 error code
  EXPECT_EQ(run({L"/?"}), kSuccess);
  EXPECT_TRUE(fs.calls.empty());
}

class Retarget : public JunctionTool {
 protected:
  void SetUp() override {
    JunctionTool::SetUp();
    fs.folder(L"C:\\old");
    fs.junction(L"C:\\work\\j", L"C:\\old");
    fs.entries[L"C:\\work\\h"] = Entry{EntryKind::HostLink, L"C:\\old", {}, 0, {}};
  }
  std::wstring targetOf(const std::wstring& link) { return fs.inspect(link).target; }
};

TEST_F(Retarget, RewritesTheJunctionsDataThroughTheHandleItChecked) {
  EXPECT_EQ(run({L"-r", L"j", L"C:\\data\\"}), kSuccess);
  EXPECT_EQ(fs.calls,
            (std::vector<std::wstring>{L"open to rewrite C:\\work\\j", L"rewrite C:\\work\\j"}));
  const auto names = parseMountPointData(fs.reparse.at(L"C:\\work\\j"));
  EXPECT_EQ(names->substituteName, L"\\??\\C:\\data");
  EXPECT_EQ(names->printName, L"C:\\data");
  EXPECT_EQ(console.outLines,
            (std::vector<std::wstring>{L"Changed C:\\work\\j -> C:\\data (was C:\\old)"}));
}

TEST_F(Retarget, UnderWineReplacesTheHostLinkInOneStep) {
  fs.hostLinks = true;
  EXPECT_EQ(run({L"-r", L"h", L"C:\\data"}), kSuccess);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"ln over C:\\work\\h C:\\data"}));
  EXPECT_EQ(targetOf(L"C:\\work\\h"), L"C:\\data");
}

struct RetargetRefusal {
  const wchar_t* what;
  void (*prepare)(FakeSystem&);
  std::vector<std::wstring> args;
  std::uint32_t exitCode;
};

class RefusedRetarget : public Retarget, public testing::WithParamInterface<RetargetRefusal> {};

TEST_P(RefusedRetarget, LeavesTheLinkAsItWas) {
  GetParam().prepare(fs);
  const auto links = [this] {
    std::map<std::wstring, std::wstring> targets;
    for (const auto& [path, entry] : fs.entries) targets[path] = fs.inspect(path).target;
    return targets;
  };
  const auto before = links();
  EXPECT_EQ(run(GetParam().args), GetParam().exitCode) << GetParam().what;
  EXPECT_EQ(links(), before) << GetParam().what;
  EXPECT_EQ(console.errLines.size(), 1u) << GetParam().what;
  EXPECT_TRUE(console.outLines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, RefusedRetarget,
    testing::Values(
        RetargetRefusal{
            L"no LINK", [](FakeSystem&) {}, {L"-r", L"gone", L"C:\\data"}, kFileNotFound},
        RetargetRefusal{L"a real folder",
                        [](FakeSystem&) {},
                        {L"-r", L"C:\\old", L"C:\\data"},
                        kNotAReparsePoint},
        RetargetRefusal{L"a file",
                        [](FakeSystem&) {},
                        {L"-r", L"C:\\data\\keep.txt", L"C:\\old"},
                        kNotAReparsePoint},
        RetargetRefusal{L"a volume mount point",
                        [](FakeSystem& f) { f.mountPoint(L"C:\\work\\v", kVolume, L""); },
                        {L"-r", L"v", L"C:\\data"},
                        kReparseTagMismatch},
        RetargetRefusal{L"a link of another kind",
                        [](FakeSystem& f) {
                          f.entries[L"C:\\work\\s"] = Entry{EntryKind::OtherLink, {}, {}, 0, {}};
                        },
                        {L"-r", L"s", L"C:\\data"},
                        kReparseTagMismatch},
        RetargetRefusal{
            L"missing target", [](FakeSystem&) {}, {L"-r", L"j", L"C:\\nothing"}, kPathNotFound},
        RetargetRefusal{L"file as target",
                        [](FakeSystem&) {},
                        {L"-r", L"j", L"C:\\data\\keep.txt"},
                        kNotAFolder},
        RetargetRefusal{
            L"share as target", [](FakeSystem&) {}, {L"-r", L"j", L"\\\\srv\\s"}, kBadPathname},
        RetargetRefusal{L"LINK on a network drive",
                        [](FakeSystem& f) {
                          f.devices[L'N'] = {true, L"\\Device\\Mup\\srv\\share"};
                        },
                        {L"-r", L"N:\\j", L"C:\\data"},
                        kBadPathname},
        RetargetRefusal{
            L"LINK inside TARGET", [](FakeSystem&) {}, {L"-r", L"j", L"C:\\work"}, kCannotResolve},
        RetargetRefusal{L"LINK inside TARGET, reached through a link",
                        [](FakeSystem& f) { f.reached[L"C:\\work"] = L"C:\\data\\in"; },
                        {L"-r", L"j", L"C:\\data"},
                        kCannotResolve},
        RetargetRefusal{L"the write refused",
                        [](FakeSystem& f) { f.writeFailure = Status::failure(5, L"Denied."); },
                        {L"-r", L"j", L"C:\\data"},
                        5u},
        RetargetRefusal{L"the host link's replacement refused",
                        [](FakeSystem& f) {
                          f.hostLinks = true;
                          f.writeFailure = Status::failure(82, L"Read-only folder.");
                        },
                        {L"-r", L"h", L"C:\\data"},
                        82u}));

TEST_F(Retarget, DecidesOnWhatItOpenedNotOnWhatItSawBefore) {
  fs.onOpen = [&] {
    fs.erase(L"C:\\work\\j");
    fs.folder(L"C:\\work\\j");
  };
  EXPECT_EQ(run({L"-r", L"j", L"C:\\data"}), kNotAReparsePoint);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"open to rewrite C:\\work\\j"}));
}

TEST_F(Retarget, PutsTheOldTargetBackWhenTheNewDataDoesNotReadBack) {
  fs.readsBackWrong = 1;
  EXPECT_EQ(run({L"-r", L"j", L"C:\\data"}), kCannotMake);
  EXPECT_EQ(fs.calls, (std::vector<std::wstring>{L"open to rewrite C:\\work\\j",
                                                 L"rewrite C:\\work\\j", L"rewrite C:\\work\\j"}));
  EXPECT_EQ(targetOf(L"C:\\work\\j"), L"C:\\old");
}

TEST_F(JunctionTool, AFailureWithoutASystemCodeNeverExitsWithZero) {
  fs.writeFailure = Status::failure(0, L"Something went wrong.");
  EXPECT_EQ(run({L"link", L"C:\\data"}), kNoSystemCode);
}

}  // namespace
}  // namespace junction
