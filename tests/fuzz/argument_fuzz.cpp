// The argument is the end of the command line, and removing quotes removes quotes only.

#include <algorithm>
#include <cstdlib>

#include "app/argument.h"
#include "fuzz_input.h"
#include "platform/argument_text.h"

using namespace mirafold;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring commandLine = fuzz::textOf(data, size);
  const std::wstring argument = platform::argumentTextOf(commandLine);
  if (!commandLine.ends_with(argument)) std::abort();
  if (!argument.empty() && (argument.front() == L' ' || argument.front() == L'\t')) std::abort();

  const std::wstring unquoted = app::withoutQuotes(commandLine);
  if (unquoted.find(L'"') != std::wstring::npos) std::abort();
  const auto quotes = std::count(commandLine.begin(), commandLine.end(), L'"');
  if (unquoted.size() + static_cast<std::size_t>(quotes) != commandLine.size()) std::abort();
  return 0;
}
