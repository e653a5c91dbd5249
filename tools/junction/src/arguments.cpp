#include "junction/arguments.h"

#include <algorithm>
#include <string_view>

#include "junction/text.h"

namespace junction {
namespace {

bool isAnyOf(std::wstring_view arg, std::initializer_list<std::wstring_view> names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::wstring_view n) { return equalsIgnoringAsciiCase(arg, n); });
}

bool isEula(std::wstring_view arg) { return isAnyOf(arg, {L"/accepteula", L"-accepteula"}); }
bool isHelp(std::wstring_view arg) {
  return isAnyOf(arg, {L"-h", L"/h", L"-?", L"/?", L"--help", L"-help", L"/help"});
}

Arguments bad(std::wstring problem) {
  Arguments a;
  a.problem = std::move(problem);
  return a;
}

// Checks the one path an option takes.
Arguments withOnePath(Action action, std::wstring_view option,
                      const std::vector<std::wstring>& rest) {
  if (rest.empty()) return bad(std::wstring(option) + L" needs a path.");
  if (rest.size() > 1) return bad(std::wstring(option) + L" takes one path only.");
  if (rest[0].empty()) return bad(L"The path is empty.");
  Arguments a;
  a.action = action;
  a.link = rest[0];
  return a;
}

// Checks the LINK and TARGET an option takes.
Arguments withTwoPaths(Action action, std::wstring_view option,
                       const std::vector<std::wstring>& rest) {
  if (rest.size() != 2) return bad(std::wstring(option) + L" takes LINK and TARGET.");
  if (rest[0].empty() || rest[1].empty()) return bad(L"A path is empty.");
  Arguments a;
  a.action = action;
  a.link = rest[0];
  a.target = rest[1];
  return a;
}

}  // namespace

Arguments parseArguments(const std::vector<std::wstring>& args) {
  // The licence switch may stand anywhere, as callers of other junction tools place it.
  std::vector<std::wstring> rest;
  bool eula = false;
  bool optionsEnded = false;
  for (const auto& arg : args) {
    if (!optionsEnded && arg == L"--") {
      optionsEnded = true;
    } else if (!optionsEnded && isEula(arg)) {
      eula = true;
    } else {
      rest.push_back(arg);
    }
  }
  const bool hadTerminator = optionsEnded;

  if (rest.empty()) {
    if (eula) return Arguments{Action::AcceptEula, {}, {}, {}};
    if (hadTerminator) return bad(L"No path given.");
    return bad(L"No arguments given.");
  }

  if (!hadTerminator) {
    if (std::any_of(rest.begin(), rest.end(), [](const auto& a) { return isHelp(a); })) {
      return Arguments{};
    }
    const std::wstring& first = rest[0];
    const std::vector<std::wstring> operands(rest.begin() + 1, rest.end());
    if (isAnyOf(first, {L"-d", L"/d"})) return withOnePath(Action::Delete, L"-d", operands);
    if (isAnyOf(first, {L"-s", L"/s"})) return withOnePath(Action::Scan, L"-s", operands);
    if (isAnyOf(first, {L"-r", L"/r"})) return withTwoPaths(Action::Retarget, L"-r", operands);
    for (const auto& arg : rest) {
      // A dash starts an option; a path that begins with one follows "--".
      if (arg.size() > 1 && arg[0] == L'-') return bad(L"Unknown option " + arg + L".");
    }
  }

  if (rest.size() > 2) return bad(L"Too many arguments.");
  for (const auto& arg : rest) {
    if (arg.empty()) return bad(L"A path is empty.");
  }
  Arguments a;
  a.action = rest.size() == 1 ? Action::Query : Action::Create;
  a.link = rest[0];
  if (rest.size() == 2) a.target = rest[1];
  return a;
}

std::wstring usageText() {
  return L"Usage:\n"
         L"  junction LINK TARGET   make the new folder LINK a junction to the folder TARGET\n"
         L"  junction LINK          show where the junction LINK points\n"
         L"  junction -d LINK       remove the junction LINK (never its target)\n"
         L"  junction -r LINK TARGET  make the junction LINK lead to the folder TARGET instead,\n"
         L"                           in place: there is never a moment without LINK\n"
         L"  junction -s FOLDER     list the junctions below FOLDER, not entering any junction\n"
         L"  junction -h            show this text\n"
         L"A relative TARGET is taken from the current folder.\n"
         L"Exit code: 0 on success; else the Windows error code of the step that failed, or\n"
         L"536870913 (0x20000001) when the arguments were not understood.\n"
         L"\"/accepteula\" is accepted and ignored. Put \"--\" before paths that start with \"-\".";
}

}  // namespace junction
