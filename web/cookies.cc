#include "web/cookies.h"

#include "text/text.h"

namespace zarvo {
namespace {

constexpr char kDeletedSuffix[] = "=deleted";  // how a server deletes a cookie
constexpr char kItemSeparator[] = "; ";

}  // namespace

Text MergeCookies(Text* sent, Text* received) {
  Text sentText = RemoveSpaces(sent ? *sent : Text());
  const Text receivedText = RemoveSpaces(received ? *received : Text());
  if (received) *received = receivedText;

  const TextArray sentItems = SplitText(sentText, ";");
  TextArray merged = SplitText(receivedText, ";");
  for (const Text& item : sentItems.elements()) {
    if (!HasCookieName(merged, CookieName(item))) ArrayAppend(merged, item);
  }

  const int32_t suffixLength = TextLength(kDeletedSuffix);
  std::string joined;
  for (const Text& item : merged.elements()) {
    if (CompareText(TextRight(item, suffixLength), kDeletedSuffix) == 0) continue;
    joined.append(item.view()).append(kItemSeparator);
  }
  const int32_t joinedLength = static_cast<int32_t>(joined.size());
  sentText = TextLeft(Text(std::move(joined)), joinedLength - TextLength(kItemSeparator));
  sentText = JoinDistinct(sentText, kItemSeparator);

  if (sent) *sent = sentText;
  return sentText;
}

Text CookieName(const Text& item) {
  const int32_t equals = FindText(item, "=");
  return TrimText(equals == -1 ? item : TextLeft(item, equals - 1));
}

bool HasCookieName(const TextArray& items, const Text& name) {
  for (const Text& item : items.elements()) {
    if (CompareText(CookieName(item), name) == 0) return true;
  }
  return false;
}

Text JoinDistinct(const Text& text, const Text& separator) {
  TextArray seen;
  std::string joined;
  for (const Text& piece : SplitText(text, separator).elements()) {
    if (ContainsText(seen, piece)) continue;
    ArrayAppend(seen, piece);
    joined.append(piece.view()).append(separator.view());
  }
  const int32_t joinedLength = static_cast<int32_t>(joined.size());
  return TextLeft(Text(std::move(joined)), joinedLength - TextLength(separator));
}

bool ContainsText(const TextArray& items, const Text& text) {
  for (const Text& item : items.elements()) {
    if (CompareText(item, text) == 0) return true;
  }
  return false;
}

}  // namespace zarvo
