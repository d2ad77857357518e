#include "text/measure.h"

#include <algorithm>

namespace zarvo {

int32_t TextLength(const Text& text) { return static_cast<int32_t>(text.size()); }

Text TextLeft(const Text& text, int32_t count) {
  if (count <= 0) return Text();
  return Text(text.view().substr(0, static_cast<size_t>(count)));
}

Text TextRight(const Text& text, int32_t count) {
  if (count <= 0) return Text();
  size_t n = std::min(static_cast<size_t>(count), text.size());
  return Text(text.view().substr(text.size() - n));
}

Text TextMid(const Text& text, int32_t start, int32_t count) {
  if (start < 1 || static_cast<size_t>(start) > text.size() || count <= 0) return Text();
  return Text(text.view().substr(static_cast<size_t>(start) - 1, static_cast<size_t>(count)));
}

Text BlankText(int32_t count) {
  if (count <= 0) return Text();
  return Text(std::string(static_cast<size_t>(count), ' '));
}

}  // namespace zarvo
