#pragma once
// What the command line asks the tool to do.

#include <string>
#include <vector>

namespace junction {

enum class Action {
  Usage,       // help asked for, or the arguments were not understood (then `problem` says why)
  AcceptEula,  // accepted for compatibility with callers of other junction tools; does nothing
  Create,      // LINK TARGET
  Query,       // LINK
  Delete,      // -d LINK
  Retarget,    // -r LINK TARGET: the junction LINK made to lead to TARGET instead
  Scan,        // -s FOLDER
};

struct Arguments {
  Action action = Action::Usage;
  std::wstring link;     // LINK, or FOLDER for a scan
  std::wstring target;   // TARGET, for Create and Retarget
  std::wstring problem;  // non-empty when the arguments were not understood
};

// `args` excludes the program name.
Arguments parseArguments(const std::vector<std::wstring>& args);

std::wstring usageText();

}  // namespace junction
