#pragma once

#include <functional>

#include "platform/link_list_window.h"

namespace mirafold::fakes {

// The window without a window: what it was last told to show, and its handlers to press.
class FakeLinkListWindow final : public platform::LinkListWindow {
 public:
  void run(const platform::LinkListContent& content,
           const platform::LinkListHandlers& handlers) override {
    shown = content;
    open = true;
    if (whileOpen) whileOpen(handlers);
    open = false;
  }
  void show(const platform::LinkListContent& content) override { shown = content; }
  void close() override { open = false; }

  std::function<void(const platform::LinkListHandlers&)> whileOpen;
  platform::LinkListContent shown;
  bool open = false;
};

}  // namespace mirafold::fakes
