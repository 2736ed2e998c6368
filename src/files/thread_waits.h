// How the threads of a search wait for one another. A search waits on condition variables; a
// test may instead run its threads one at a time, in an order of its choosing, and tell a
// state in which none can go on from one that is merely slow.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

/// The waits of the search queue's threads.
class ThreadWaits {
 public:
  virtual ~ThreadWaits() = default;
  /// A thread of the queue starts its work.
  virtual void threadBegins() {}
  /// A thread of the queue ends its work.
  virtual void threadEnds() {}
  /// Waits, holding `lock` whenever it tests `ready`, until `ready` holds; `changed` is
  /// notified whenever it may have come to hold.
  virtual void wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                    const std::function<bool()>& ready) {
    changed.wait(lock, ready);
  }
};
