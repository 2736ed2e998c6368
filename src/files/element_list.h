// The list that holds a file's elements: views into its text, in file order.
#pragma once

#include <cstddef>
#include <string_view>

/// An ordered list of views that grows in one block of host memory, so that a file of millions
/// of lines costs one allocation and no copy of the views once the block is large enough.
class ElementList {
 public:
  ElementList() = default;
  ~ElementList();
  ElementList(const ElementList&) = delete;
  ElementList& operator=(const ElementList&) = delete;

  /// The number of elements held.
  std::size_t size() const { return size_; }
  /// Element `i`.
  const std::string_view& operator[](std::size_t i) const { return items_[i]; }
  /// The first element.
  const std::string_view* begin() const { return items_; }
  /// Just past the last element.
  const std::string_view* end() const { return items_ + size_; }
  /// Forgets every element, keeping the memory.
  void clear() { size_ = 0; }
  /// Appends the element of `length` bytes at `at`.
  void emplace_back(const char* at, std::size_t length) {
    if (size_ == capacity_) grow();
    items_[size_++] = std::string_view(at, length);
  }
  /// Forgets every element and gives the memory back.
  void release();

 private:
  void grow();

  std::string_view* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
