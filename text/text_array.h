// TextArray: an ordered list of texts numbered from 1 to ArrayCount. The
// array owns independent copies of its elements; elements may be empty.
//
// Example:
//   TextArray a;
//   ArrayAppend(a, "x");
//   ArrayAppend(a, "");
//   ArrayCount(a);   // 2
//   a.at(1);         // "x"
#ifndef ZARVO_TEXT_TEXT_ARRAY_H_
#define ZARVO_TEXT_TEXT_ARRAY_H_

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "text/text_value.h"

namespace zarvo {

class TextArray {
 public:
  TextArray() = default;
  TextArray(std::initializer_list<Text> elements) : elements_(elements) {}

  // Element i, 1-based. REQUIRES: 1 <= i <= ArrayCount(*this).
  const Text& at(int32_t i) const { return elements_[static_cast<size_t>(i - 1)]; }

  const std::vector<Text>& elements() const& { return elements_; }
  // On a temporary the elements move out, so `for (x : SplitText(...).elements())`
  // does not iterate a destroyed array.
  std::vector<Text> elements() && { return std::move(elements_); }
  void push_back(Text t) { elements_.push_back(std::move(t)); }
  void reserve(size_t n) { elements_.reserve(n); }

  friend bool operator==(const TextArray&, const TextArray&) = default;

 private:
  std::vector<Text> elements_;
};

// The number of elements.
inline int32_t ArrayCount(const TextArray& array) {
  return static_cast<int32_t>(array.elements().size());
}

// Adds an independent copy of `text` as the new last element.
inline void ArrayAppend(TextArray& array, const Text& text) { array.push_back(text); }

}  // namespace zarvo

#endif  // ZARVO_TEXT_TEXT_ARRAY_H_
