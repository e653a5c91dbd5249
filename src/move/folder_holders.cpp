#include "move/folder_holders.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"

namespace mirafold::move {

using platform::FileUsers;
using platform::RunningProcess;

std::vector<Holder> holdersOf(platform::RunningPrograms& programs, const std::wstring& folder,
                              const std::wstring& heldFile) {
  const std::vector<RunningProcess> running = programs.processes();
  std::map<std::uint32_t, const RunningProcess*> byId;
  for (const RunningProcess& process : running) byId[process.id] = &process;

  std::map<std::uint32_t, Holder> holders;
  std::vector<std::wstring> files;
  for (const RunningProcess& process : running) {
    if (process.query != RunningProcess::Query::Answered ||
        !base::isSameOrInside(process.image, folder)) {
      continue;
    }
    holders[process.id] = {
        process.id, base::nameOf(process.image), base::nameOf(process.image), {}};
    if (std::none_of(files.begin(), files.end(),
                     [&](const std::wstring& f) { return base::samePath(f, process.image); })) {
      files.push_back(process.image);
    }
  }
  if (!heldFile.empty()) files.push_back(heldFile);
  if (files.empty()) return {};

  // Without a session the program files' own names stand; a list cut short names whom it read.
  const FileUsers users = programs.usersOf(files);
  if (users.answer == FileUsers::Answer::Answered ||
      users.answer == FileUsers::Answer::Incomplete) {
    for (const platform::FileUser& user : users.users) {
      const auto listed = byId.find(user.id);
      // Gone since: nothing is left to close. Not listed: started since, and still there.
      if (listed != byId.end() && listed->second->query == RunningProcess::Query::Ended) continue;
      Holder& holder = holders[user.id];
      holder.id = user.id;
      if (listed != byId.end() && listed->second->query == RunningProcess::Query::Answered) {
        holder.file = base::nameOf(listed->second->image);
      }
      holder.name = !user.appName.empty() ? user.appName : holder.file;
      holder.service = user.serviceName;
      if (holder.name.empty()) holder.name = user.serviceName;
    }
  }

  std::vector<Holder> named;
  for (auto& [id, holder] : holders) {
    if (!holder.name.empty()) named.push_back(std::move(holder));
  }
  std::sort(named.begin(), named.end(), [](const Holder& a, const Holder& b) {
    return std::tie(a.name, a.id) < std::tie(b.name, b.id);
  });
  return named;
}

namespace {

// A program names itself (its version resource): line breaks and direction marks in its name would
// let it dress the message up as something else.
std::wstring plainName(const std::wstring& name) {
  std::wstring plain;
  for (const wchar_t c : name) {
    const bool direction =
        c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    if (c >= 0x20 && c != 0x7F && !direction) plain += c;
  }
  return plain;
}

// More lines than a screen holds tell nothing more.
constexpr std::size_t kHoldersShown = 15;

}  // namespace

std::optional<std::wstring> holdersText(const std::vector<Holder>& holders,
                                        const std::wstring& heldFile) {
  if (holders.empty()) return std::nullopt;
  std::wstring text(kHoldersHeading);
  for (std::size_t i = 0; i < holders.size() && i < kHoldersShown; ++i) {
    const Holder& h = holders[i];
    const std::wstring id = std::to_wstring(h.id);
    const std::wstring name = plainName(h.name);
    text += L"\r\n";
    if (!h.service.empty()) {
      text += base::fillIn(kHolderService, {name, plainName(h.service), id});
    } else if (!h.file.empty() && h.file != h.name) {
      text += base::fillIn(kHolderProgram, {name, h.file, id});
    } else {
      text += base::fillIn(kHolderUnknownFile, {name, id});
    }
  }
  if (holders.size() > kHoldersShown) {
    text += L"\r\n" + base::fillIn(kMoreHolders, {std::to_wstring(holders.size() - kHoldersShown)});
  }
  if (!heldFile.empty()) text += L"\r\n\r\n" + base::fillIn(kFileInUse, {heldFile});
  return text;
}

}  // namespace mirafold::move
