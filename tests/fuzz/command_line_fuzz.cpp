// The composed command line, split as the started tool's C runtime splits it, gives back exactly
// the tool, the link path and the target, whatever the paths hold.

#include <cstdlib>

#include "argument_split.h"
#include "fuzz_input.h"
#include "link/command_line.h"
#include "link/tool.h"

using namespace mirafold;

namespace {

// The program's folder comes from the system and can hold neither a quote nor a control
// character; the program name cannot escape a quote.
bool isPossibleFolder(const std::wstring& folder) {
  for (wchar_t c : folder) {
    if (c == L'"' || c < L' ') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieces = fuzz::piecesOf(fuzz::textOf(data, size), 3);
  const std::wstring& folder = pieces[0];
  const std::wstring& location = pieces[1];
  const std::wstring& target = pieces[2];

  const std::wstring name(link::lastPathComponent(target));
  if (name.find(L'\\') != std::wstring::npos || !target.ends_with(name)) std::abort();
  if (!isPossibleFolder(folder)) return 0;

  const std::wstring line = link::composeCommandLine(folder, location, target);
  const std::vector<std::wstring> expected = {link::toolPath(folder),
                                              link::linkPathOf(location, target), target};
  if (testing::splitLikeTheCRuntime(line) != expected) std::abort();
  // A tool path with a space is always quoted, so that the system cannot start a program named
  // by its first word.
  if (expected[0].find(L' ') != std::wstring::npos && !line.starts_with(L'"')) std::abort();
  return 0;
}
