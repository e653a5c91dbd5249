#pragma once
// Splits a command line the way the Microsoft C runtime's startup code builds argv, written from
// its documented rules rather than from our quoting code, so that tests can check what a receiving
// program really gets.

#include <string>
#include <string_view>
#include <vector>

namespace mirafold::testing {

inline bool isArgumentSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

inline std::vector<std::wstring> splitLikeTheCRuntime(std::wstring_view line) {
  std::vector<std::wstring> argv;
  std::size_t i = 0;

  // The program name: quotes only group, and backslashes are path separators, never escapes.
  std::wstring program;
  bool quoted = false;
  for (; i < line.size() && (quoted || !isArgumentSpace(line[i])); ++i) {
    if (line[i] == L'"') {
      quoted = !quoted;
    } else {
      program += line[i];
    }
  }
  argv.push_back(program);

  for (;;) {
    while (i < line.size() && isArgumentSpace(line[i])) ++i;
    if (i == line.size()) return argv;
    std::wstring argument;
    quoted = false;
    while (i < line.size() && (quoted || !isArgumentSpace(line[i]))) {
      std::size_t backslashes = 0;
      for (; i < line.size() && line[i] == L'\\'; ++i) ++backslashes;
      if (i == line.size() || line[i] != L'"') {
        argument.append(backslashes, L'\\');  // literal unless a quote follows
        if (backslashes == 0) argument += line[i++];
        continue;
      }
      argument.append(backslashes / 2, L'\\');
      if (backslashes % 2 == 1) {
        argument += L'"';  // escaped by the odd backslash
      } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
        argument += L'"';  // a pair inside quotes is one quote, and ends the quoted part
        quoted = false;
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    }
    argv.push_back(argument);
  }
}

}  // namespace mirafold::testing
