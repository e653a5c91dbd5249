// The composed command line always holds the tool, the link path and the target, in that order.

#include <cstdlib>

#include "fuzz_input.h"
#include "link/command_line.h"
#include "link/tool.h"

using namespace mirafold;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieces = fuzz::piecesOf(fuzz::textOf(data, size), 3);
  const std::wstring& folder = pieces[0];
  const std::wstring& location = pieces[1];
  const std::wstring& target = pieces[2];

  const std::wstring name(link::lastPathComponent(target));
  if (name.find(L'\\') != std::wstring::npos || !target.ends_with(name)) std::abort();

  const std::wstring linkPath = link::linkPathOf(location, target);
  if (linkPath != location + (location.ends_with(L'\\') ? L"" : L"\\") + name) std::abort();

  const std::wstring line = link::composeCommandLine(folder, location, target);
  const std::wstring tool = link::toolPath(folder);
  const std::wstring quotedTool = L'"' + tool + L'"';
  const std::wstring arguments = L" \"" + linkPath + L"\" \"" + target + L"\"";
  if (line != tool + arguments && line != quotedTool + arguments) std::abort();
  // A tool path with a space is always quoted, one without never.
  if ((tool.find(L' ') != std::wstring::npos) != line.starts_with(quotedTool + L" ")) std::abort();
  return 0;
}
