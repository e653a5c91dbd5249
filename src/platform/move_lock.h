#pragma once
// One move at a time for the user: a move, a queue or a recovery holds it from its first question
// to its last word, so that another window of the program never recovers, or moves beside, a move
// still under way.

#include <memory>

namespace mirafold::platform {

class MoveLock {
 public:
  struct Held {
    virtual ~Held() = default;
  };
  virtual ~MoveLock() = default;
  // Held until the object returned goes; nothing while another holds it.
  virtual std::unique_ptr<Held> tryHold() = 0;
};

}  // namespace mirafold::platform
