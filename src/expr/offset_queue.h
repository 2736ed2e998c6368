// A queue of offsets in ascending order, appended at its end and let go of at its front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// Offsets held in one block: the front is let go of by moving a mark, and the block is moved
/// up only once as much has been let go of as is held, so each offset is moved a bounded
/// number of times. Indexing is from the front.
class OffsetQueue {
 public:
  /// The number of offsets held.
  std::size_t size() const { return items_.size() - head_; }
  /// True when none is held.
  bool empty() const { return head_ == items_.size(); }
  /// The offset `i` places after the front.
  std::uint64_t operator[](std::size_t i) const { return items_[head_ + i]; }
  /// The first offset held.
  std::uint64_t front() const { return items_[head_]; }
  /// The last offset held.
  std::uint64_t back() const { return items_.back(); }
  /// The first offset held, for searching.
  const std::uint64_t* begin() const { return items_.data() + head_; }
  /// Just past the last offset held.
  const std::uint64_t* end() const { return items_.data() + items_.size(); }

  /// Appends `offset`, which is not below the last one held.
  void push_back(std::uint64_t offset) { items_.push_back(offset); }
  /// Lets go of the first `count` offsets held.
  void drop(std::size_t count) {
    head_ += count;
    if (head_ >= kLeastMoved && head_ >= items_.size() - head_) {
      items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
  }
  /// Lets go of every offset, keeping the memory.
  void clear() {
    items_.clear();
    head_ = 0;
  }
  /// Lets go of every offset and of the memory.
  void release() {
    std::vector<std::uint64_t>().swap(items_);
    head_ = 0;
  }

 private:
  static constexpr std::size_t kLeastMoved = 1024;

  std::vector<std::uint64_t> items_;
  std::size_t head_ = 0;  // the front's place in `items_`
};
