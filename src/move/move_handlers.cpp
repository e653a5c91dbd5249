#include "move/move_handlers.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "base/command_line.h"
#include "base/path_rules.h"
#include "base/text.h"
#include "move/folder_holders.h"
#include "move/helper_messages.h"
#include "move/messages.h"
#include "move/move_paths.h"
#include "move/move_queue.h"
#include "move/places_that_stay.h"
#include "move/progress_view.h"

namespace mirafold::move {
namespace {

platform::EntryKind kindOf(platform::MoveFileSystem& files, const std::wstring& path) {
  platform::EntryInfo info;
  if (!files.inspect(path, info).ok()) return platform::EntryKind::Missing;
  return info.kind;
}

class Turn final : public platform::MoveLock::Held {
 public:
  Turn(bool& moving, std::unique_ptr<platform::MoveLock::Held> lock)
      : moving_(moving), lock_(std::move(lock)) {
    moving_ = true;
  }
  ~Turn() override { moving_ = false; }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;

 private:
  bool& moving_;
  std::unique_ptr<platform::MoveLock::Held> lock_;
};

}  // namespace

MoveHandlers::MoveHandlers(MoveControls controls, MoveServices services)
    : c_(controls), s_(std::move(services)) {}

std::vector<platform::MenuItem> MoveHandlers::menuFor(Side side, const std::wstring& folder) {
  const std::wstring explorer(kOpenInExplorer);
  switch (kindOf(s_.files, folder)) {
    case platform::EntryKind::Link:
      return {{kCommandMoveBack, std::wstring(kMoveBackAndUnlink), !staysWhereItIs(folder)},
              {kCommandOpenInExplorer, explorer, true}};
    case platform::EntryKind::Folder:
      if (side == Side::Left) {
        return {{kCommandMoveAway, std::wstring(kMoveAwayAndLink), canMoveAway(folder)},
                {kCommandOpenInExplorer, explorer, true}};
      }
      return {{kCommandOpenInExplorer, explorer, true}};
    default:
      return {};
  }
}

void MoveHandlers::choose(Side side, const std::wstring& folder, int command) {
  const auto items = menuFor(side, folder);
  const bool offered = std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& i) {
    return i.command == command && i.enabled;
  });
  if (!offered) return;
  switch (command) {
    case kCommandMoveAway:
      if (const auto turn = takeTurn()) moveAway(folder, c_.dir2.path());
      break;
    case kCommandMoveBack:
      if (const auto turn = takeTurn()) moveBack(folder);
      break;
    case kCommandOpenInExplorer:
      s_.processes.start(L"explorer.exe \"" + folder + L"\"",
                         platform::WindowShow::NormalWithFocus);
      break;
    default:
      break;
  }
}

// A road's questions and progress window are the main window's, whose modal loops serve every
// window of the thread: another road could start from one of them, and another program's window
// could find this one's journal mid-move.
std::unique_ptr<platform::MoveLock::Held> MoveHandlers::takeTurn(bool quietly) {
  std::unique_ptr<platform::MoveLock::Held> lock = moving_ ? nullptr : s_.lock.tryHold();
  if (lock) return std::make_unique<Turn>(moving_, std::move(lock));
  if (!quietly) s_.messages.show(std::wstring(kAnotherMoveUnderWay));
  return nullptr;
}

// Greyed only where the move could never go, whatever the disks hold: a drive root, the
// right-hand folder itself or one inside it, the folder it already lies in, or a place that
// stays at either end. The rest is for the checks, which say why.
bool MoveHandlers::canMoveAway(const std::wstring& folder) const {
  const std::wstring destination = c_.dir2.path();
  return !base::isDriveRoot(folder) && !destination.empty() &&
         !base::isSameOrInside(destination, folder) &&
         !base::samePath(base::parentOf(folder), destination) && !staysWhereItIs(folder) &&
         !staysWhereItIs(base::joinPath(destination, base::nameOf(folder)));
}

// A link's row judges both ends: the link's place by its name, its folder where it leads.
bool MoveHandlers::staysWhereItIs(const std::wstring& folder) const {
  return whyItStays(folder, s_.systemFolders.places()).has_value();
}

MoveSurroundings MoveHandlers::surroundingsOf(const std::wstring& linkPlace) {
  return move::surroundingsOf(s_.systemFolders, s_.volume, linkPlace);
}

// The move is planned where the folders really are: it holds them at its start and refuses a
// folder found elsewhere than planned, which a link on the way would otherwise look like.
std::wstring MoveHandlers::realPlaceOf(const std::wstring& path) const {
  const std::wstring parent = base::parentOf(path);
  return parent.empty() ? path : base::joinPath(s_.paths.resolvedPath(parent), base::nameOf(path));
}

void MoveHandlers::moveAway(const std::wstring& chosen, const std::wstring& destinationFolder) {
  const std::wstring folder = realPlaceOf(chosen);
  const PlannedMove planned = planMoveAway(
      s_.files, folder, s_.paths.resolvedPath(destinationFolder), surroundingsOf(folder));
  if (planned.refusal) {
    s_.messages.show(*planned.refusal);
    return;
  }
  const std::optional<std::wstring> question = questionFor(planned);
  if (!question || !noProgramHolds(planned.plan) || !s_.messages.ask(*question)) return;
  runAndTell(planned.plan);
}

std::optional<std::wstring> MoveHandlers::questionFor(const PlannedMove& planned) {
  const std::wstring question = confirmationText(planned);
  const auto found = appPlaceOf(planned.plan.origin);
  if (!found) return question;
  if (found->refused) {
    s_.messages.show(found->text);
    return std::nullopt;
  }
  return question + L"\r\n\r\n" + found->text;
}

std::optional<AppPlaceFinding> MoveHandlers::appPlaceOf(const std::wstring& folder) {
  const auto findingAmong = [&](const platform::AppFolders& anchors) {
    return appPlaceFinding(folder, s_.paths.resolvedPath(folder), anchors,
                           [&](const std::wstring& path) {
                             return kindOf(s_.files, path) != platform::EntryKind::Missing;
                           });
  };
  // The apps' folders as the system names them, and where they really are: a OneDrive folder
  // made a link to D: is found on D: too.
  platform::AppFolders real = s_.appFolders;
  real.localAppData = s_.paths.resolvedPath(real.localAppData);
  real.programData = s_.paths.resolvedPath(real.programData);
  for (std::wstring& oneDrive : real.oneDrive) oneDrive = s_.paths.resolvedPath(oneDrive);
  const auto found = findingAmong(s_.appFolders);
  return found ? found : findingAmong(real);
}

bool MoveHandlers::noProgramHolds(const MovePlan& plan) {
  for (;;) {
    const auto text = holdersText(holdersOf(s_.programs, plan.origin, {}), {});
    if (!text) return true;
    if (!s_.messages.retry(*text)) return false;
  }
}

MoveResult MoveHandlers::goOnWhileHeld(const std::wstring& journalPath, MoveResult result) {
  while (result.inUse) {
    std::wstring text;
    std::optional<JournalEntry> entry;
    if (s_.files.readJournal(journalPath, text).ok()) entry = parseJournal(text);
    // No journal to go on from: it stays unfinished, for the next start to ask about.
    if (!entry) return {MoveOutcome::Unfinished, result.reason, {}};
    // The journal's plan, which undoing a finished move has replaced by the way back. The folder
    // is looked for where it is now: hidden beside its old place once that step was done.
    const MovePlan& plan = entry->plan;
    const std::wstring moving = movingPathOf(plan.origin);
    const std::wstring& folder =
        kindOf(s_.files, moving) == platform::EntryKind::Folder ? moving : plan.origin;
    const std::vector<Holder> holders = holdersOf(s_.programs, folder, result.heldFile);
    const std::wstring held =
        result.heldFile.empty() ? std::wstring() : asOriginPath(result.heldFile, plan.origin);
    const bool again = s_.messages.retry(holdersText(holders, held).value_or(result.reason));
    const PendingMove pending{journalPath, *entry};
    result = runWithProgress([&](FolderMover& mover) {
      return mover.recover(pending, again ? Recovery::Complete : Recovery::Undo);
    });
  }
  return result;
}

void MoveHandlers::moveBack(const std::wstring& chosen) {
  const std::wstring link = realPlaceOf(chosen);
  const PlannedMove planned = planMoveBack(s_.files, link, surroundingsOf(link));
  if (planned.refusal) {
    s_.messages.show(*planned.refusal);
    return;
  }
  if (!noProgramHolds(planned.plan) || !s_.messages.ask(confirmationText(planned))) return;
  runAndTell(planned.plan);
}

void MoveHandlers::recoverUnfinishedMoves() {
  const auto turn = takeTurn(true);
  if (!turn) return;
  std::vector<PendingMove> pending;
  for (const std::wstring& folder : {s_.journalFolder, s_.helperJournalFolder}) {
    if (folder.empty()) continue;
    for (PendingMove& move : findPendingMoves(s_.files, folder)) pending.push_back(move);
  }
  const std::optional<UnfinishedQueue> queue =
      s_.journalFolder.empty() ? std::nullopt : findUnfinishedQueue(s_.files, s_.journalFolder);
  if (pending.empty() && !queue) return;  // the usual start: the lists stay as they were made
  for (const PendingMove& move : pending) {
    const Recovery choice =
        s_.messages.ask(recoveryQuestion(move)) ? Recovery::Complete : Recovery::Undo;
    recoverAndTell(move, choice);
  }
  if (queue) {
    if (const auto text = queueCutShortText(accountOf(s_.files, *queue, pending))) {
      s_.messages.show(*text);
    }
    forgetQueue(s_.files, s_.journalFolder);
  }
  refreshLists();
}

void MoveHandlers::moveFoldersInto(const std::vector<std::wstring>& folders,
                                   const std::wstring& destinationFolder) {
  if (destinationFolder.empty()) return;  // no folder open on the right: offered greyed
  const auto turn = takeTurn();
  if (!turn) return;
  std::vector<std::wstring> chosen;
  for (const std::wstring& folder : folders) {
    const std::wstring real = realPlaceOf(folder);
    if (std::none_of(chosen.begin(), chosen.end(),
                     [&](const std::wstring& c) { return base::samePath(c, real); })) {
      chosen.push_back(real);
    }
  }
  // One folder takes the single move's road, with its waiting on a file in use and its offer of
  // administrator rights.
  if (chosen.size() == 1) moveAway(chosen.front(), destinationFolder);
  if (chosen.size() < 2) return;
  if (chosen.size() > kMostQueuedFolders) {
    s_.messages.show(base::fillIn(kQueueTooLong, {std::to_wstring(kMostQueuedFolders)}));
    return;
  }
  const std::wstring destination = s_.paths.resolvedPath(destinationFolder);
  const QueueChoice choice = planQueue(chosen, destination);
  if (choice.moves.empty()) {
    s_.messages.show(queueEndText(choice, {}));
    return;
  }
  for (const QueuedMove& move : choice.moves) {
    if (!noProgramHolds(move.plan)) return;
  }
  if (!s_.messages.ask(queueQuestion(choice, destination))) return;

  CancelFlag cancel;
  QueueEnd end;
  const auto started = s_.clock.now();
  s_.progress.run(
      [&](const platform::ProgressReport& report) {
        end = runQueue(choice.moves, {.files = s_.files,
                                      .clock = s_.clock,
                                      .cancel = cancel,
                                      .progress =
                                          [&](const QueueProgress& p) {
                                            report(queueProgressView(p, s_.clock.now() - started));
                                          },
                                      .journalFolder = s_.journalFolder});
      },
      [&] { cancel.request(); });
  s_.messages.show(end.start.ok() ? queueEndText(choice, end)
                                  : base::fillIn(kMoveFailedNothingChanged, {end.start.reason}));
  // Only once the end is told: a kill before leaves the next start the queue's account.
  if (end.start.ok()) forgetQueue(s_.files, s_.journalFolder);
  refreshLists();
}

// Each folder planned as its single move would be; those the rules or the table of apps' places
// refuse stay out of the queue, and are named.
QueueChoice MoveHandlers::planQueue(const std::vector<std::wstring>& folders,
                                    const std::wstring& destination) {
  QueueChoice choice;
  for (const std::wstring& folder : folders) {
    const PlannedMove planned = planMoveAway(s_.files, folder, destination, surroundingsOf(folder));
    if (planned.refusal) {
      choice.refused.push_back({folder, *planned.refusal});
      continue;
    }
    const std::optional<AppPlaceFinding> place = appPlaceOf(planned.plan.origin);
    if (place && place->refused) {
      choice.refused.push_back({folder, place->text});
      continue;
    }
    choice.moves.push_back({planned.plan, planned.summary.bytes, planned.summary.files});
    std::wstring notes = notesOf(confirmationText(planned));
    if (place) notes += (notes.empty() ? L"" : L"\r\n") + place->text;
    if (!notes.empty()) choice.notes.push_back({folder, notes});
  }
  return choice;
}

void MoveHandlers::runAndTell(const MovePlan& plan) {
  if (!s_.everyMoveThroughHelper) {
    const MoveResult result =
        goOnWhileHeld(journalPathFor(s_.journalFolder, plan),
                      runWithProgress([&](FolderMover& mover) { return mover.run(plan); }));
    // Refused for rights, the move undid what it did: it can be made again, elevated.
    if (result.outcome != MoveOutcome::Failed || !result.noRights) {
      tell(plan, {result, {}});
      refreshLists();
      return;
    }
    if (!s_.messages.ask(std::wstring(kNoRightsQuestion))) {
      s_.messages.show(std::wstring(kCancelledNothingChanged));
      refreshLists();
      return;
    }
  }
  tell(plan, runHelper(HelperTask::Move, plan));
  refreshLists();
}

void MoveHandlers::recoverAndTell(const PendingMove& pending, Recovery choice) {
  const MovePlan& plan = pending.entry.plan;
  // A move the helper began, the helper ends, from its own journal.
  if (!s_.helperJournalFolder.empty() &&
      base::samePath(base::parentOf(pending.journalPath), s_.helperJournalFolder)) {
    tell(plan,
         runHelper(choice == Recovery::Complete ? HelperTask::Complete : HelperTask::Undo, plan));
    return;
  }
  // The user's own journal, which any of the user's programs may have written, is recovered
  // with the user's rights only: what it asks for no more than they could do themselves.
  tell(plan, {goOnWhileHeld(pending.journalPath, runWithProgress([&](FolderMover& mover) {
                              return mover.recover(pending, choice);
                            })),
              {}});
}

MoveHandlers::HelperEnd MoveHandlers::runHelper(HelperTask task, const MovePlan& plan) {
  const auto failed = [](const std::wstring& why) {
    return HelperEnd{{MoveOutcome::Failed, base::fillIn(kNoHelper, {why}), {}}, {}};
  };
  std::uint32_t error = 0;
  const std::unique_ptr<platform::PipeListener> listener = s_.pipes.listen(error);
  if (!listener) return failed(s_.errors.describe(error));
  platform::ElevatedStart started = s_.processes.startElevated(
      s_.programPath,
      base::joinArguments(helperArguments({task, listener->name(), listener->server()})),
      platform::WindowShow::MinimizedNoActivate);
  if (!started.process) {
    if (started.declined) return {{MoveOutcome::Cancelled, {}, {}}, {}};
    return failed(s_.errors.describe(started.error));
  }
  platform::Process& helper = *started.process;

  std::mutex lock;
  std::unique_ptr<platform::MessagePipe> pipe;
  bool cancelled = false, connected = false;
  std::optional<HelperEnd> end;
  const auto begun = s_.clock.now();
  const std::string cancel = encodeMessage({.kind = HelperMessage::Kind::Cancel});
  s_.progress.run(
      [&](const platform::ProgressReport& report) {
        // 取消 while the helper is not yet there gives it up: it begins only on our start.
        std::unique_ptr<platform::MessagePipe> accepted = listener->accept(helper.id(), [&] {
          const std::lock_guard hold(lock);
          return !cancelled && !helper.exitCode().has_value();
        });
        if (!accepted) return;
        platform::MessagePipe* channel = nullptr;
        {
          const std::lock_guard hold(lock);
          if (cancelled) return;
          pipe = std::move(accepted);
          channel = pipe.get();
          connected =
              channel->send(encodeMessage({.kind = HelperMessage::Kind::Start, .plan = plan}));
        }
        if (!connected) return;
        HelperMessageReader reader;
        std::string bytes;
        while (!end && !reader.garbled() && channel->receive(bytes)) {
          reader.feed(bytes);
          bytes.clear();
          while (const auto message = reader.next()) {
            if (message->kind == HelperMessage::Kind::Progress) {
              report(progressViewOf(message->progress, s_.clock.now() - begun));
            } else if (message->kind == HelperMessage::Kind::End) {
              end = HelperEnd{message->result, message->refusal};
            }
          }
        }
      },
      [&] {
        const std::lock_guard hold(lock);
        cancelled = true;
        if (pipe) pipe->send(cancel);
      });
  if (end) return *end;
  // A helper never started touched nothing; one that went silent may have stopped anywhere,
  // and its journal tells recovery where.
  if (!connected && cancelled) return {{MoveOutcome::Cancelled, {}, {}}, {}};
  if (!connected) return failed(s_.errors.describe(helper.exitCode().value_or(0)));
  return {{MoveOutcome::Unfinished, std::wstring(kHelperEndedUntold), {}}, {}};
}

void MoveHandlers::tell(const MovePlan& plan, const HelperEnd& end) {
  if (end.refusal) {
    s_.messages.show(*end.refusal);
  } else if (const auto text = endMessage(plan, end.result)) {
    s_.messages.show(*text);
  }
}

MoveResult MoveHandlers::runWithProgress(const std::function<MoveResult(FolderMover&)>& work) {
  CancelFlag cancel;
  MoveResult result;
  const auto started = s_.clock.now();
  s_.progress.run(
      [&](const platform::ProgressReport& report) {
        FolderMover mover({.files = s_.files,
                           .clock = s_.clock,
                           .cancel = cancel,
                           .progress =
                               [&](const MoveProgress& p) {
                                 report(progressViewOf(p, s_.clock.now() - started));
                               },
                           .journalFolder = s_.journalFolder,
                           .waitWhenInUse = true});
        result = work(mover);
      },
      [&] { cancel.request(); });
  return result;
}

// A list whose folder went away (moved back over it, say) keeps what it shows.
void MoveHandlers::refreshLists() {
  c_.dir1.setPath(c_.dir1.path());
  c_.dir2.setPath(c_.dir2.path());
}

}  // namespace mirafold::move
