#include "move/elevated_move.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/folder_mover.h"
#include "move/helper_messages.h"
#include "move/messages.h"
#include "move/stopping_file_system.h"
#include "volume/file_system_name.h"

namespace mirafold::move {
namespace {

constexpr std::array<std::pair<HelperTask, std::wstring_view>, 3> kTaskNames{{
    {HelperTask::Move, L"move"},
    {HelperTask::Complete, L"complete"},
    {HelperTask::Undo, L"undo"},
}};

// The helper's question names the move as it will be made: the direction, where the folder is
// and where it goes, each as one plain line (a folder's name may hold direction marks).
std::wstring questionFor(HelperTask task, const MovePlan& plan) {
  std::wstring_view question = kHelperAsksUndo;
  if (task == HelperTask::Complete) question = kHelperAsksComplete;
  if (task == HelperTask::Move) {
    question = plan.direction == Direction::Away ? kHelperAsksMoveAway : kHelperAsksMoveBack;
  }
  return base::fillIn(question, {base::plainLine(plan.origin), base::plainLine(plan.final)});
}

bool samePlace(const MovePlan& a, const MovePlan& b) {
  return a.direction == b.direction && base::samePath(a.origin, b.origin) &&
         base::samePath(a.final, b.final);
}

class HelperRun {
 public:
  HelperRun(const HelperRequest& request, HelperServices& services)
      : r_(request), s_(services), files_(services.files) {}

  void run() {
    // The window's word: a cancel, or its going away, which stops the move where it stands.
    std::thread listener([this] {
      HelperMessageReader reader;
      std::string bytes;
      while (s_.pipe.receive(bytes)) {
        reader.feed(bytes);
        bytes.clear();
        while (const auto message = reader.next()) {
          if (message->kind == HelperMessage::Kind::Start) begin(message->plan);
          if (message->kind == HelperMessage::Kind::Cancel) cancel_.request();
        }
        if (reader.garbled()) break;
      }
      files_.stop();
      begin(std::nullopt);
    });
    // Nothing is touched before the window's start: a window that gave up waiting for this
    // helper (its 取消, or gone) has told the user that nothing changed.
    if (!waitForStart()) {
      s_.pipe.interrupt();
      listener.join();
      return;
    }
    HelperMessage end{.kind = HelperMessage::Kind::End};
    if (const auto refusal = refusalOfRequest()) {
      end.refusal = refusal;
    } else if (!s_.messages.ask(questionFor(r_.task, entry_.plan))) {
      end.refusal = std::wstring(kHelperNotAgreed);
    } else if (const auto late = refusalOfRequest()) {
      // The question may stand for as long as the user leaves it: the disk is judged again.
      end.refusal = late;
    } else {
      end.result = work();
    }
    tell(end);
    s_.pipe.interrupt();
    listener.join();
  }

 private:
  // The window's start with the move it names, or its going first (none).
  void begin(const std::optional<MovePlan>& asked) {
    const std::lock_guard hold(lock_);
    if (!started_) started_ = asked.has_value();
    if (asked && !asked_) asked_ = asked;
    beginning_.notify_all();
  }

  bool waitForStart() {
    std::unique_lock hold(lock_);
    beginning_.wait(hold, [&] { return started_.has_value(); });
    return *started_;
  }

  std::optional<std::wstring> refusalOfRequest() {
    MovePlan asked;
    {
      const std::lock_guard hold(lock_);
      asked = *asked_;
    }
    if (!base::isPlainAbsolutePath(s_.journalFolder)) {
      return base::fillIn(kNoProtectedJournal, {s_.journalFolder});
    }
    const std::wstring journal = journalPathFor(s_.journalFolder, asked);
    if (!base::isPlainAbsolutePath(asked.origin) || !base::isPlainAbsolutePath(asked.final)) {
      return base::fillIn(kUntrustedEntry, {journal});
    }
    if (r_.task == HelperTask::Move) return refusalOfFreshMove(asked);
    // An unfinished move only from this helper's own journal, under the name its move gives it.
    std::wstring text;
    if (!files_.readJournal(journal, text).ok()) return base::fillIn(kUntrustedEntry, {journal});
    const auto parsed = parseJournal(text);
    if (!parsed || !samePlace(parsed->plan, asked)) return base::fillIn(kUntrustedEntry, {journal});
    entry_ = *parsed;
    return refusalOfRecovery();
  }

  // The window's checks again, on the disk as it is now, and the same move as the user agreed to:
  // a folder swapped or a link changed since is refused.
  std::optional<std::wstring> refusalOfFreshMove(const MovePlan& asked) {
    const PlannedMove planned =
        asked.direction == Direction::Away
            ? planMoveAway(files_, asked.origin, base::parentOf(asked.final),
                           surroundings(asked.origin))
            : planMoveBack(files_, asked.final, surroundings(asked.final));
    if (planned.refusal) return planned.refusal;
    if (!samePlace(planned.plan, asked)) return base::fillIn(kPlanChanged, {asked.origin});
    if (auto refusal = refusalForTheUser(planned)) return refusal;
    entry_ = {planned.plan, Phase::Hide};
    return std::nullopt;
  }

  // No more for the user than they could do themselves. Symbolic links are remade by a copy
  // only where the user could make them. After a move away the link leads through the
  // destination's folders: where the user may replace one of them but not the folder moved,
  // any of their programs could put other files where a protected place's link leads.
  std::optional<std::wstring> refusalForTheUser(const PlannedMove& planned) {
    const MovePlan& plan = planned.plan;
    if (!plan.sameVolume && !planned.summary.firstSymbolicLink.empty() &&
        !s_.user.mayMakeSymbolicLinks()) {
      return base::fillIn(kHelperLinksNotTheUsers, {planned.summary.firstSymbolicLink});
    }
    // An answer that cannot be had counts against the move at both ends.
    if (plan.direction != Direction::Away || s_.user.mayReplace(plan.origin) == true) {
      return std::nullopt;
    }
    for (std::wstring folder = plan.final; !folder.empty() && !base::isDriveRoot(folder);
         folder = base::parentOf(folder)) {
      if (s_.user.mayReplace(folder) != false) {
        return base::fillIn(kHelperDestinationReplaceable, {folder});
      }
    }
    return std::nullopt;
  }

  // Half done, the folder cannot be walked or measured again; what never changes is checked:
  // neither end a system folder, the destination not inside the folder, no network.
  std::optional<std::wstring> refusalOfRecovery() {
    const MovePlan& plan = entry_.plan;
    MoveFacts facts;
    facts.source = plan.origin;
    facts.destinationFolder = base::parentOf(plan.final);
    facts.systemFolders = s_.systemFolders.places();
    facts.sameVolume = true;  // the room it needs was there when it started
    facts.linkVolumeFileSystem = plan.direction == Direction::Away
                                     ? surroundings(plan.origin).linkVolumeFileSystem
                                     : L"NTFS";
    if (auto refusal = refusalOf(facts)) return refusal;
    facts.source = plan.final;
    if (auto refusal = refusalOf(facts)) return refusal;
    return std::nullopt;
  }

  MoveSurroundings surroundings(const std::wstring& linkPlace) {
    return surroundingsOf(s_.systemFolders, s_.volume, linkPlace);
  }

  MoveResult work() {
    FolderMover mover({.files = files_,
                       .clock = s_.clock,
                       .cancel = cancel_,
                       .progress =
                           [&](const MoveProgress& p) {
                             tell({.kind = HelperMessage::Kind::Progress, .progress = p});
                           },
                       .journalFolder = s_.journalFolder});
    if (r_.task == HelperTask::Move) return mover.run(entry_.plan);
    const Recovery choice = r_.task == HelperTask::Complete ? Recovery::Complete : Recovery::Undo;
    return mover.recover({journalPathFor(s_.journalFolder, entry_.plan), entry_}, choice);
  }

  void tell(const HelperMessage& message) {
    if (!s_.pipe.send(encodeMessage(message))) files_.stop();
  }

  const HelperRequest& r_;
  HelperServices& s_;
  StoppingFileSystem files_;
  CancelFlag cancel_;
  JournalEntry entry_;
  std::mutex lock_;
  std::condition_variable beginning_;
  std::optional<bool> started_;    // the window's start, or its going first
  std::optional<MovePlan> asked_;  // what the start named
};

}  // namespace

std::vector<std::wstring> helperArguments(const HelperRequest& request) {
  std::wstring task;
  for (const auto& [t, name] : kTaskNames) {
    if (t == request.task) task = name;
  }
  return {std::wstring(kHelperSwitch), task, request.pipeName, std::to_wstring(request.window)};
}

std::optional<HelperRequest> parseHelperArguments(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 4 || arguments[0] != kHelperSwitch) return std::nullopt;
  HelperRequest request;
  bool named = false;
  for (const auto& [task, name] : kTaskNames) {
    if (arguments[1] == name) {
      request.task = task;
      named = true;
    }
  }
  const std::wstring& window = arguments[3];
  if (!named || arguments[2].empty() || window.empty() || window.size() > 10 ||
      window.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return std::nullopt;
  }
  const std::uint64_t process = std::stoull(window);
  if (process == 0 || process > UINT32_MAX) return std::nullopt;
  request.pipeName = arguments[2];
  request.window = static_cast<std::uint32_t>(process);
  return request;
}

MoveSurroundings surroundingsOf(platform::SystemFolders& systemFolders, platform::NtVolume& volume,
                                const std::wstring& linkPlace) {
  return {systemFolders.places(),
          volume::GetFileSystemName(volume, volume::volumeRootOf(linkPlace)).name};
}

void runElevatedMove(const HelperRequest& request, HelperServices services) {
  HelperRun(request, services).run();
}

}  // namespace mirafold::move
