#include "app/argument.h"

#include <algorithm>

namespace mirafold::app {

std::wstring withoutQuotes(std::wstring_view text) {
  std::wstring result(text);
  std::erase(result, L'"');
  return result;
}

}  // namespace mirafold::app
