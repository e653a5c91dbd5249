#pragma once

#include <functional>

#include "platform/table_window.h"

namespace mirafold::fakes {

// The window without a window: what it was last told to show, and its handlers to press. Work
// runs at once on the caller's thread, its posts as they come.
class FakeTableWindow final : public platform::TableWindow {
 public:
  void run(const platform::TableContent& content, const platform::TableHandlers& handlers,
           platform::TableWork work) override {
    shown = content;
    open = true;
    given = &handlers;
    if (work) start(std::move(work));
    if (whileOpen) whileOpen(handlers);
    open = false;
  }
  void show(const platform::TableContent& content) override { shown = content; }
  void start(platform::TableWork work) override {
    work([this](std::function<void()> job) {
      job();
      if (posted) posted();
    });
  }
  void close() override { open = false; }

  std::function<void(const platform::TableHandlers&)> whileOpen;
  std::function<void()> posted;  // after each post the work made has run
  const platform::TableHandlers* given = nullptr;
  platform::TableContent shown;
  bool open = false;
};

}  // namespace mirafold::fakes
