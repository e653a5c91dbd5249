#include "move/helper_messages.h"

#include <array>
#include <utility>
#include <vector>

#include "base/text.h"

namespace mirafold::move {
namespace {

// Longer than any path the system takes (32,767 characters, 3 bytes each) and its reasons.
constexpr std::size_t kLongestLine = 256 * 1024;

constexpr std::array<std::pair<MoveOutcome, std::string_view>, 5> kOutcomeNames{{
    {MoveOutcome::Done, "done"},
    {MoveOutcome::DoneOldFolderLeft, "left"},
    {MoveOutcome::Cancelled, "cancelled"},
    {MoveOutcome::Failed, "failed"},
    {MoveOutcome::Unfinished, "unfinished"},
}};

std::string escaped(std::wstring_view text) {
  std::string out;
  for (const char c : base::toUtf8(text)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::wstring> unescaped(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return std::nullopt;
    switch (field[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return std::nullopt;
    }
  }
  return base::fromUtf8(out);
}

std::optional<std::uint64_t> numberOf(std::string_view field) {
  if (field.empty() || field.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

std::optional<HelperMessage> progressOf(const std::vector<std::string_view>& f) {
  if (f.size() != 6) return std::nullopt;
  const auto bytesDone = numberOf(f[1]), bytesTotal = numberOf(f[2]), filesDone = numberOf(f[3]),
             filesTotal = numberOf(f[4]);
  const auto file = unescaped(f[5]);
  if (!bytesDone || !bytesTotal || !filesDone || !filesTotal || !file) return std::nullopt;
  HelperMessage message{.kind = HelperMessage::Kind::Progress};
  message.progress = {*bytesDone, *bytesTotal, *filesDone, *filesTotal, *file};
  return message;
}

std::optional<HelperMessage> endOf(const std::vector<std::string_view>& f) {
  if (f.size() != 6) return std::nullopt;
  HelperMessage message{.kind = HelperMessage::Kind::End};
  if (f[1] == "refused") {
    const auto refusal = unescaped(f[3]);
    if (!refusal) return std::nullopt;
    message.result.outcome = MoveOutcome::Failed;
    message.refusal = *refusal;
    return message;
  }
  bool named = false;
  for (const auto& [outcome, name] : kOutcomeNames) {
    if (f[1] == name) {
      message.result.outcome = outcome;
      named = true;
    }
  }
  const auto reason = unescaped(f[3]), leftover = unescaped(f[4]);
  if (!named || (f[2] != "0" && f[2] != "1") || !reason || !leftover || !f[5].empty()) {
    return std::nullopt;
  }
  message.result.noRights = f[2] == "1";
  message.result.reason = *reason;
  message.result.leftover = *leftover;
  return message;
}

std::optional<HelperMessage> startOf(const std::vector<std::string_view>& f) {
  if (f.size() != 4 || (f[1] != "away" && f[1] != "back")) return std::nullopt;
  const auto origin = unescaped(f[2]), final = unescaped(f[3]);
  if (!origin || !final) return std::nullopt;
  HelperMessage message{.kind = HelperMessage::Kind::Start};
  message.plan.direction = f[1] == "away" ? Direction::Away : Direction::Back;
  message.plan.origin = *origin;
  message.plan.final = *final;
  return message;
}

std::optional<HelperMessage> messageOf(std::string_view line) {
  const std::vector<std::string_view> f = fieldsOf(line);
  if (f[0] == "progress") return progressOf(f);
  if (f[0] == "end") return endOf(f);
  if (f[0] == "cancel" && f.size() == 1) return HelperMessage{.kind = HelperMessage::Kind::Cancel};
  if (f[0] == "start") return startOf(f);
  return std::nullopt;
}

}  // namespace

std::string encodeMessage(const HelperMessage& message) {
  std::string line;
  switch (message.kind) {
    case HelperMessage::Kind::Progress: {
      const MoveProgress& p = message.progress;
      line = "progress\t" + std::to_string(p.bytesDone) + '\t' + std::to_string(p.bytesTotal) +
             '\t' + std::to_string(p.filesDone) + '\t' + std::to_string(p.filesTotal) + '\t' +
             escaped(p.currentFile);
      break;
    }
    case HelperMessage::Kind::Start:
      line = std::string("start\t") +
             (message.plan.direction == Direction::Away ? "away\t" : "back\t") +
             escaped(message.plan.origin) + '\t' + escaped(message.plan.final);
      break;
    case HelperMessage::Kind::Cancel:
      line = "cancel";
      break;
    case HelperMessage::Kind::End: {
      // end, outcome, no rights, reason, leftover, and an empty field kept for what may follow.
      const MoveResult& r = message.result;
      if (message.refusal) {
        line = "end\trefused\t0\t" + escaped(*message.refusal) + "\t\t";
        break;
      }
      std::string_view outcome;
      for (const auto& [o, name] : kOutcomeNames) {
        if (o == r.outcome) outcome = name;
      }
      line = "end\t" + std::string(outcome) + '\t' + (r.noRights ? "1" : "0") + '\t' +
             escaped(r.reason) + '\t' + escaped(r.leftover) + '\t';
      break;
    }
  }
  return line + '\n';
}

void HelperMessageReader::feed(std::string_view bytes) {
  if (garbled_) return;
  pending_ += bytes;
  if (pending_.find('\n') == std::string::npos && pending_.size() > kLongestLine) garbled_ = true;
}

std::optional<HelperMessage> HelperMessageReader::next() {
  if (garbled_) return std::nullopt;
  const std::size_t end = pending_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::optional<HelperMessage> message = messageOf(std::string_view(pending_).substr(0, end));
  pending_.erase(0, end + 1);
  if (!message) garbled_ = true;
  return message;
}

}  // namespace mirafold::move
