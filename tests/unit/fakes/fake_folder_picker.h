#pragma once
// The folder dialog, answered by the test.

#include <optional>
#include <string>
#include <vector>

#include "platform/folder_picker.h"

namespace mirafold::fakes {

class FakeFolderPicker : public platform::FolderPicker {
 public:
  std::optional<std::wstring> pickFolder(const std::wstring& title,
                                         const std::wstring& start) override {
    asked.push_back(title + L" @ " + start);
    return answer;
  }
  std::optional<std::wstring> answer;  // nothing: cancelled
  std::vector<std::wstring> asked;
};

}  // namespace mirafold::fakes
