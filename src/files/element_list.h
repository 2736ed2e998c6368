// The list that holds a file's elements: views into its text, in file order, numbered from the
// file's first element though only those a window can still reach are held.
#pragma once

#include <cstddef>
#include <string_view>

/// The longest element a line is held in; longer lines are held in several.
constexpr std::size_t kMaxElementLength = 999;

/// An ordered list of views that grows in one block of host memory. Elements are numbered from
/// the file's start; those before `first()` have been let go.
class ElementList {
 public:
  ElementList() = default;
  ~ElementList();
  ElementList(const ElementList&) = delete;
  ElementList& operator=(const ElementList&) = delete;

  /// The number of the element after the last one held (the count of elements so far).
  std::size_t size() const { return first_ + count_; }
  /// The number of the first element held.
  std::size_t first() const { return first_; }
  /// Element `i`; it must be held.
  const std::string_view& operator[](std::size_t i) const { return items_[i - first_]; }
  /// The first element held.
  const std::string_view* begin() const { return items_; }
  /// Just past the last element held.
  const std::string_view* end() const { return items_ + count_; }
  /// Forgets every element, keeping the memory; the next one appended is element 0.
  void clear() {
    first_ = 0;
    count_ = 0;
  }
  /// True when the next element appended needs more memory.
  bool full() const { return count_ == capacity_; }
  /// Appends the element of `length` bytes at `at`.
  void emplace_back(const char* at, std::size_t length) {
    if (count_ == capacity_) grow();
    items_[count_++] = std::string_view(at, length);
  }
  /// Lets go of the elements before element `index`; passing over elements never held makes
  /// `index` the number of the next one appended.
  void dropBefore(std::size_t index);
  /// Points every view held into `to` instead of `from`, after their text moved there.
  void rebase(const char* from, const char* to);
  /// Forgets every element and gives the memory back.
  void release();

 private:
  void grow();

  std::string_view* items_ = nullptr;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};
