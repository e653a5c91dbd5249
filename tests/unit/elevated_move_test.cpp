#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/text.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/fake_nt_volume.h"
#include "fakes/fake_pipes.h"
#include "fakes/fake_system.h"
#include "fakes/fake_user_rights.h"
#include "fakes/stepping_clock.h"
#include "move/elevated_move.h"
#include "move/helper_messages.h"
#include "move/messages.h"

namespace mirafold::move {
namespace {

using platform::EntryKind;

// The helper's own journal folder, and the user's, which any of the user's programs may write.
constexpr auto kJournals = L"C:\\ProgramData\\Mirafold\\moves";
constexpr auto kUserJournals = L"C:\\Users\\me\\AppData\\Local\\Mirafold\\moves";

// C:\Games\Game, two files, to go into D:\Store; the helper run on a thread, the test as window.
struct Helper {
  Helper() {
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
    disk.addFile(L"C:\\Games\\Game\\sub\\level.bin", L"0123456789");
    disk.addFolder(L"D:\\Store");
    disk.addFolder(kJournals);
    disk.addFolder(kUserJournals);
  }
  std::wstring entry(const MovePlan& plan, Phase phase, const std::wstring& folder = kJournals) {
    const std::wstring path = journalPathFor(folder, plan);
    disk.writeJournal(path, journalText({plan, phase}));
    return path;
  }
  // The window's start names `plan`; reads until the end, or goes after `leaveAfter` messages.
  std::vector<HelperMessage> run(HelperTask task, const MovePlan& plan, int leaveAfter = -1,
                                 bool start = true) {
    messages.answers = {agrees};
    auto [window, helper] = fakes::pipePair(leaveAfter >= 0 ? leaveAfter + 1 : 0, "\n\n");
    if (start) window->send(encodeMessage({.kind = HelperMessage::Kind::Start, .plan = plan}));
    std::thread helperThread([&, pipe = helper.get()] {
      runElevatedMove({task, L"pipe", 1}, {.journalFolder = ownJournals,
                                           .files = disk,
                                           .systemFolders = systemFolders,
                                           .volume = volume,
                                           .clock = clock,
                                           .pipe = *pipe,
                                           .messages = messages,
                                           .user = user});
    });
    std::vector<HelperMessage> heard;
    HelperMessageReader reader;
    std::string bytes;
    while (static_cast<int>(heard.size()) != leaveAfter && window->receive(bytes)) {
      reader.feed(bytes);
      bytes.clear();
      while (auto message = reader.next()) heard.push_back(*message);
      if (!heard.empty() && heard.back().kind == HelperMessage::Kind::End) break;
    }
    window.reset();
    helperThread.join();
    return heard;
  }
  EntryKind kindAt(const std::wstring& path) const {
    const auto* node = disk.find(path);
    return node ? node->kind : EntryKind::Missing;
  }
  // Every entry with its kind, bytes and target.
  std::vector<std::wstring> everything() const {
    std::vector<std::wstring> all;
    for (const auto& [path, node] : disk.nodes()) {
      all.push_back(path + L"|" + std::to_wstring(static_cast<int>(node.kind)) + L"|" +
                    node.content + L"|" + node.target);
    }
    return all;
  }

  fakes::FakeMoveFileSystem disk;
  fakes::FakeSystemFolders systemFolders;
  fakes::FakeNtVolume volume;
  fakes::SteppingClock clock;
  fakes::FakeMessageBoxes messages;  // the helper's own question
  fakes::FakeUserRights user;
  bool agrees = true;
  std::wstring ownJournals = kJournals;
  const MovePlan away{Direction::Away, L"C:\\Games\\Game", L"D:\\Store\\Game", false, 0};
};

TEST(ElevatedMove, RunsTheMoveTheWindowNamesAndTellsItsProgressAndEnd) {
  Helper h;
  // Folders the user may replace at both ends: they could make this link themselves.
  h.user.replaceable = {L"C:\\Games\\Game", L"D:\\Store"};
  const auto heard = h.run(HelperTask::Move, h.away);
  ASSERT_GE(heard.size(), 2u);
  EXPECT_EQ(heard.front().kind, HelperMessage::Kind::Progress);
  EXPECT_EQ(heard.back().kind, HelperMessage::Kind::End);
  EXPECT_EQ(heard.back().result.outcome, MoveOutcome::Done);
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_TRUE(findPendingMoves(h.disk, kJournals).empty());
}

// Nothing a user's program can change is believed: each of these ends in a refusal before
// anything is touched.
TEST(ElevatedMove, RefusesWhatTheUserCouldHaveWrittenOrChanged) {
  const MovePlan back{Direction::Back, L"D:\\Store\\Saved", L"C:\\Games\\Saved", false, 0};
  const struct {
    const char* what;
    HelperTask task;
    std::function<MovePlan(Helper&)> arrange;  // the plan the window's start names
    std::wstring refusal;                      // empty: the untrusted-entry text
  } cases[] = {
      {"an unfinished move planted in the user's journal",
       HelperTask::Undo,
       [](Helper& h) {
         h.entry(h.away, Phase::Place, kUserJournals);
         return h.away;
       },
       {}},
      {"its own entry rewritten to another move",
       HelperTask::Complete,
       [](Helper& h) {
         const MovePlan other{Direction::Away, L"C:\\Windows\\System32", L"D:\\Store\\Game", false,
                              0};
         h.disk.writeJournal(journalPathFor(kJournals, h.away), journalText({other, Phase::Place}));
         return h.away;
       },
       {}},
      {"a way out of where it seems to lie",
       HelperTask::Move,
       [](Helper&) {
         return MovePlan{Direction::Away, L"C:\\Games\\..\\Windows", L"D:\\Store\\Windows", false,
                         0};
       },
       {}},
      {"no journal folder of its own", HelperTask::Move,
       [](Helper& h) {
         h.ownJournals.clear();
         return h.away;
       },
       base::fillIn(kNoProtectedJournal, {L""})},
      {"a link pointed elsewhere between consent and start", HelperTask::Move,
       [&back](Helper& h) {
         h.disk.addFolder(L"D:\\Store\\Saved");
         h.disk.addFolder(L"D:\\Store\\Other");
         h.disk.addLink(L"C:\\Games\\Saved", L"D:\\Store\\Other");
         return back;
       },
       base::fillIn(kPlanChanged, {L"D:\\Store\\Saved"})},
      {"a place that stays", HelperTask::Move,
       [](Helper& h) {
         h.systemFolders.list.own.push_back(L"C:\\Games");
         return h.away;
       },
       base::fillIn(kStaysOwn, {L"C:\\Games\\Game"})},
      {"a destination inside the folder", HelperTask::Undo,
       [](Helper& h) {
         const MovePlan inside{Direction::Away, L"C:\\Games\\Game", L"C:\\Games\\Game\\sub\\Game",
                               true, 0};
         h.entry(inside, Phase::Place);
         return inside;
       },
       std::wstring(kDestinationInsideSource)},
      {"symbolic links the user could not make", HelperTask::Move,
       [](Helper& h) {
         h.disk.addFileLink(L"C:\\Games\\Game\\latest", L"save.dat");
         h.user.links = false;
         return h.away;
       },
       base::fillIn(kHelperLinksNotTheUsers, {L"C:\\Games\\Game\\latest"})},
      // A folder the user may not change, led to through one they may rename.
      {"a destination's folder the user may replace", HelperTask::Move,
       [](Helper& h) {
         h.user.replaceable = {L"D:\\Store"};
         return h.away;
       },
       base::fillIn(kHelperDestinationReplaceable, {L"D:\\Store"})},
      {"no room on the destination", HelperTask::Move,
       [](Helper& h) {
         h.disk.addVolume(L'D', {.freeBytes = 4});
         return h.away;
       },
       L"目标分区空间不足：需要 18 B，可用 4 B"},
  };
  for (const auto& c : cases) {
    Helper h;
    const MovePlan plan = c.arrange(h);
    const auto before = h.everything();
    const auto heard = h.run(c.task, plan);
    ASSERT_EQ(heard.size(), 1u) << c.what;
    EXPECT_EQ(heard[0].kind, HelperMessage::Kind::End) << c.what;
    EXPECT_EQ(heard[0].refusal.value_or(L"<none>"),
              c.refusal.empty() ? base::fillIn(kUntrustedEntry, {journalPathFor(kJournals, plan)})
                                : c.refusal)
        << c.what;
    EXPECT_EQ(h.everything(), before) << c.what << ": nothing touched";
    EXPECT_TRUE(h.messages.shown.empty()) << c.what << ": refused before any question";
  }
}

// The helper asks the user itself, in a box of its own, naming the direction and both ends as it
// will act on them; No leaves everything as it was, and the window is told the move never began.
TEST(ElevatedMove, AsksTheUserItselfAndNoTouchesNothing) {
  const MovePlan back{Direction::Back, L"D:\\Store\\Saved", L"C:\\Games\\Saved", false, 0};
  const struct {
    HelperTask task;
    bool away;
    std::wstring_view question;
  } cases[] = {{HelperTask::Move, true, kHelperAsksMoveAway},
               {HelperTask::Move, false, kHelperAsksMoveBack},
               {HelperTask::Complete, true, kHelperAsksComplete},
               {HelperTask::Undo, true, kHelperAsksUndo}};
  for (const auto& c : cases) {
    Helper h;
    h.disk.addFolder(L"D:\\Store\\Saved");
    h.disk.addLink(L"C:\\Games\\Saved", L"D:\\Store\\Saved");
    const MovePlan& plan = c.away ? h.away : back;
    if (c.task != HelperTask::Move) h.entry(plan, Phase::Hide);
    const auto before = h.everything();
    h.agrees = false;
    const auto heard = h.run(c.task, plan);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    // From where the folder is to where it goes.
    EXPECT_EQ(h.messages.shown[0], base::fillIn(c.question, {plan.origin, plan.final}));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].refusal.value_or(L"<none>"), kHelperNotAgreed);
    EXPECT_EQ(h.everything(), before) << "nothing touched after No";
  }
}

// The window gone in the middle: the helper stops at its next operation, its own journal stays,
// and the helper started again for it finishes the move.
TEST(ElevatedMove, AWindowThatGoesAwayLeavesItsOwnJournalForRecovery) {
  Helper h;
  const auto heard = h.run(HelperTask::Move, h.away, 1);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Missing) << "stopped half way";
  ASSERT_EQ(findPendingMoves(h.disk, kJournals).size(), 1u);
  EXPECT_TRUE(findPendingMoves(h.disk, kUserJournals).empty());
  const auto again = h.run(HelperTask::Complete, h.away);
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again.back().result.outcome, MoveOutcome::Done);
  EXPECT_EQ(h.disk.find(L"D:\\Store\\Game\\sub\\level.bin")->content, L"0123456789");
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_TRUE(findPendingMoves(h.disk, kJournals).empty());
}

TEST(ElevatedMove, AWindowThatGoesAwayBeforeItsStartHasNothingTouched) {
  Helper h;
  const auto before = h.everything();
  EXPECT_TRUE(h.run(HelperTask::Move, h.away, 0, false).empty());
  EXPECT_EQ(h.everything(), before);
}

TEST(HelperMessages, ReadBackWhatWasWrittenWhateverTheTextsHoldAndRefuseGarbage) {
  HelperMessage progress{.kind = HelperMessage::Kind::Progress};
  progress.progress = {5, 18, 1, 2, L"C:\\a\tb\\c\nd\\\\e 文件"};
  HelperMessage end{.kind = HelperMessage::Kind::End};
  end.result = {MoveOutcome::Failed, L"拒绝访问。\r\n (C:\\x)", L"C:\\left", true};
  HelperMessage refused{.kind = HelperMessage::Kind::End, .refusal = L"不能移动系统文件夹"};
  HelperMessage start{.kind = HelperMessage::Kind::Start};
  start.plan = {Direction::Back, L"D:\\a\tb 文件", L"C:\\c\\d", false, 0};
  const std::string all = encodeMessage(progress) + encodeMessage(end) + encodeMessage(refused) +
                          encodeMessage({.kind = HelperMessage::Kind::Cancel}) +
                          encodeMessage(start);
  HelperMessageReader reader;
  for (const char c : all) reader.feed(std::string_view(&c, 1));  // however the bytes arrive
  const auto first = reader.next(), second = reader.next(), third = reader.next(),
             fourth = reader.next();
  ASSERT_TRUE(first && second && third && fourth);
  EXPECT_EQ(first->progress.currentFile, progress.progress.currentFile);
  EXPECT_EQ(first->progress.bytesTotal, 18u);
  EXPECT_EQ(first->progress.filesDone, 1u);
  EXPECT_EQ(second->result.reason, end.result.reason);
  EXPECT_EQ(second->result.leftover, L"C:\\left");
  EXPECT_TRUE(second->result.noRights);
  EXPECT_EQ(second->result.outcome, MoveOutcome::Failed);
  EXPECT_EQ(third->refusal.value_or(L""), L"不能移动系统文件夹");
  EXPECT_EQ(fourth->kind, HelperMessage::Kind::Cancel);
  const auto fifth = reader.next().value_or(HelperMessage{});
  EXPECT_EQ(fifth.kind, HelperMessage::Kind::Start);
  EXPECT_EQ(fifth.plan.direction, Direction::Back);
  EXPECT_EQ(fifth.plan.origin, start.plan.origin);
  EXPECT_EQ(fifth.plan.final, start.plan.final);
  EXPECT_FALSE(reader.next());

  for (const char* garbage :
       {"progress\t1\t2\n", "end\tdone\t2\t\t\t\n", "hello\n", "progress\t1\t2\t3\t4\tbad\\q\n",
        "start\n", "start\tsideways\ta\tb\n"}) {
    HelperMessageReader bad;
    bad.feed(garbage);
    bad.feed(encodeMessage({.kind = HelperMessage::Kind::Cancel}));
    EXPECT_FALSE(bad.next()) << garbage;
    EXPECT_FALSE(bad.next()) << "nothing after garbage is believed: " << garbage;
    EXPECT_TRUE(bad.garbled());
  }
  HelperMessageReader endless;
  endless.feed(std::string(300 * 1024, 'x'));
  EXPECT_TRUE(endless.garbled());
}

TEST(HelperArguments, ReadBackAndRefuseAnythingElse) {
  const HelperRequest request{HelperTask::Undo, L"\\\\.\\p", 4294967295u};
  const auto back = parseHelperArguments(helperArguments(request));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->task, HelperTask::Undo);
  EXPECT_EQ(back->pipeName, request.pipeName);
  EXPECT_EQ(back->window, request.window);
  const std::vector<std::vector<std::wstring>> refused{
      {},
      {L"--elevated-move", L"move", L"p"},
      {L"--elevated-move", L"delete", L"p", L"12"},
      {L"--other", L"move", L"p", L"12"},
      {L"--elevated-move", L"move", L"", L"12"},
      {L"--elevated-move", L"move", L"p", L"-12"},
      {L"--elevated-move", L"move", L"p", L"0"},
      {L"--elevated-move", L"move", L"p", L"4294967296"},
      {L"--elevated-move", L"move", L"p", L"C:\\x.journal"},
  };
  for (const auto& arguments : refused) EXPECT_FALSE(parseHelperArguments(arguments));
}

}  // namespace
}  // namespace mirafold::move
