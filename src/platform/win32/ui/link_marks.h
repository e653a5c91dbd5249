#pragma once
// A folder list's links probed off the window's thread: opening each link can take most of the
// time a folder of links takes to show, so the rows show at once and each mark follows. One
// worker thread probes the latest folder's links; a newer folder drops the older one's answers.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/folder_row_model.h"
#include "platform/link_state.h"

namespace mirafold::win32 {

class LinkMarks {
 public:
  struct Answer {
    std::size_t row;
    bool broken;
  };
  // Posts `message` to `window` when answers are waiting to be taken. The probe is used on the
  // worker thread alone.
  LinkMarks(std::unique_ptr<platform::LinkProbe> probe, HWND window, UINT message);
  // Stops after the probe under way, whose answer is dropped, and joins the thread.
  ~LinkMarks();
  LinkMarks(const LinkMarks&) = delete;
  LinkMarks& operator=(const LinkMarks&) = delete;

  // Probes these links from now on, instead of any given before.
  void probe(platform::LinksToProbe links);
  // The answers to the latest links since last taken.
  std::vector<Answer> take();

 private:
  void run();

  std::unique_ptr<platform::LinkProbe> probe_;
  HWND window_;
  UINT message_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::optional<platform::LinksToProbe> next_;
  std::uint64_t generation_ = 0;
  bool stopping_ = false;
  bool told_ = false;  // a message is on its way for the answers waiting
  std::vector<Answer> answers_;
  std::thread worker_;
};

}  // namespace mirafold::win32
