#include "move/move_journal.h"

#include <array>
#include <utility>

namespace mirafold::move {
namespace {

constexpr std::wstring_view kHeader = L"mirafold-move 1";
constexpr std::array<std::pair<Phase, std::wstring_view>, 5> kPhaseNames{{
    {Phase::Hide, L"hide"},
    {Phase::Place, L"place"},
    {Phase::Finish, L"finish"},
    {Phase::Link, L"link"},
    {Phase::Clean, L"clean"},
}};

std::wstring_view nameOf(Phase phase) {
  for (const auto& [p, name] : kPhaseNames) {
    if (p == phase) return name;
  }
  return {};
}

std::optional<Phase> phaseNamed(std::wstring_view name) {
  for (const auto& [p, n] : kPhaseNames) {
    if (n == name) return p;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> numberOf(std::wstring_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

// One "key=value" a line: a Windows path holds no line break.
std::wstring journalText(const JournalEntry& entry) {
  const MovePlan& plan = entry.plan;
  std::wstring text(kHeader);
  text += L"\ndirection=";
  text += plan.direction == Direction::Away ? L"away" : L"back";
  text += L"\norigin=" + plan.origin;
  text += L"\nfinal=" + plan.final;
  text += L"\nsameVolume=";
  text += plan.sameVolume ? L"1" : L"0";
  text += L"\nattributes=" + std::to_wstring(plan.originAttributes);
  text += L"\nphase=";
  text += nameOf(entry.phase);
  text += L"\nend\n";
  return text;
}

std::optional<JournalEntry> parseJournal(std::wstring_view text) {
  JournalEntry entry;
  bool header = false, direction = false, origin = false, final = false, same = false,
       attributes = false, phase = false, end = false;
  while (!text.empty()) {
    const std::size_t cut = text.find(L'\n');
    const std::wstring_view line = text.substr(0, cut);
    text = cut == std::wstring_view::npos ? std::wstring_view{} : text.substr(cut + 1);
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    if (line == L"end") {
      end = true;
      break;
    }
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) return std::nullopt;
    const std::wstring_view key = line.substr(0, equals);
    const std::wstring_view value = line.substr(equals + 1);
    if (key == L"direction" && (value == L"away" || value == L"back")) {
      entry.plan.direction = value == L"away" ? Direction::Away : Direction::Back;
      direction = true;
    } else if (key == L"origin" && !value.empty()) {
      entry.plan.origin = value;
      origin = true;
    } else if (key == L"final" && !value.empty()) {
      entry.plan.final = value;
      final = true;
    } else if (key == L"sameVolume" && (value == L"0" || value == L"1")) {
      entry.plan.sameVolume = value == L"1";
      same = true;
    } else if (key == L"attributes" && numberOf(value)) {
      entry.plan.originAttributes = *numberOf(value);
      attributes = true;
    } else if (key == L"phase" && phaseNamed(value)) {
      entry.phase = *phaseNamed(value);
      phase = true;
    } else {
      return std::nullopt;
    }
  }
  // A journal cut short is no journal: every line, then the end mark.
  if (!(header && direction && origin && final && same && attributes && phase && end)) {
    return std::nullopt;
  }
  return entry;
}

}  // namespace mirafold::move
