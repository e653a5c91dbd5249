#pragma once
// The journal of a move: what it is, and the step it was about to take. Written before every
// step, so that after a crash the state on disk lies between the start and the end of that step.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirafold::move {

enum class Direction {
  Away,  // a real folder moves to `final`, a link to it takes its place
  Back,  // the folder a link leads to moves into the link's place, the link goes
};

struct MovePlan {
  Direction direction = Direction::Away;
  std::wstring origin;  // the folder's place now
  std::wstring final;   // its place at the end
  bool sameVolume = false;
  std::uint32_t originAttributes = 0;  // restored on the folder wherever it ends
};

// In the order they run. Clean is past the point of no return: the folder is whole at `final`
// and the link is checked.
enum class Phase { Hide, Place, Finish, Link, Clean };

struct JournalEntry {
  MovePlan plan;
  Phase phase = Phase::Hide;
};

std::wstring journalText(const JournalEntry& entry);
std::optional<JournalEntry> parseJournal(std::wstring_view text);

}  // namespace mirafold::move
