// Decodes the input into an operation on the text primitives and checks
// properties that must hold for every text, including malformed GBK.
//
// Input: byte 0 picks the operation, byte 1 a small integer argument; the
// rest is split at the first 0xFF byte into a text and a second text (the
// needle, delimiter or marker).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "text/gbk_scan.h"
#include "text/text.h"

namespace {

using namespace zarvo;
using fuzz::Check;

// True iff 0-based `offset` starts a character when walking from byte 0.
bool IsCharacterStart(std::string_view s, size_t offset) {
  size_t i = 0;
  while (i < offset) i += gbk::IsLeadByte(s[i]) ? 2 : 1;
  return i == offset;
}

// TrimText written as the plain character walk over the whole text.
std::string_view TrimByWalk(std::string_view s) {
  auto spaceAt = [&](size_t i) -> size_t {
    if (s[i] == ' ') return 1;
    if (s[i] == '\xA1' && i + 1 < s.size() && s[i + 1] == '\xA1') return 2;
    return 0;
  };
  size_t i = 0;
  while (i < s.size() && spaceAt(i) != 0) i += spaceAt(i);
  const size_t begin = i;
  size_t run = std::string_view::npos;
  while (i < s.size()) {
    if (gbk::IsLeadByte(s[i]) && i + 1 == s.size()) return s.substr(begin, i - begin);
    if (size_t w = spaceAt(i)) {
      if (run == std::string_view::npos) run = i;
      i += w;
    } else {
      run = std::string_view::npos;
      i += gbk::IsLeadByte(s[i]) ? 2 : 1;
    }
  }
  return s.substr(begin, (run == std::string_view::npos ? s.size() : run) - begin);
}

bool EqualMaybeFolded(std::string_view a, std::string_view b, bool fold) {
  if (a.size() != b.size()) return false;
  return fold ? gbk::EqualFolded(a.data(), b.data(), a.size()) : a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int op = data[0] % 8;
  const int32_t arg = static_cast<int8_t>(data[1]);
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  size_t cut = rest.find('\xFF');
  const Text text(rest.substr(0, cut));
  const Text other(cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1));
  const std::string_view s = text.view();

  switch (op) {
    case 0: {  // FindText points at a real occurrence at a character start
      const bool fold = arg & 1;
      int32_t p = FindText(text, other, arg, fold);
      if (p != -1 && !other.empty()) {
        Check(p >= 1 && static_cast<size_t>(p) + other.size() - 1 <= s.size(), "FindText in range");
        Check(p >= arg || arg < 1, "FindText at or after start");
        Check(EqualMaybeFolded(s.substr(p - 1, other.size()), other.view(), fold), "FindText occurrence");
        Check(IsCharacterStart(s.substr(std::max(arg, 1) - 1), p - std::max(arg, 1)), "FindText aligned");
      }
      int32_t last = FindTextReverse(text, other, fold);
      Check((last == -1) == (FindText(text, other, std::nullopt, fold) == -1), "reverse agrees");
      break;
    }
    case 1: {  // pieces rejoined give the text without its trailing delimiter
      TextArray pieces = SplitText(text, other);
      if (other.empty() || text.empty()) break;
      std::string joined;
      for (int32_t i = 1; i <= ArrayCount(pieces); ++i) {
        if (i > 1) joined.append(other.view());
        joined.append(pieces.at(i).view());
      }
      // Either no delimiter ended the text, or the last one did and left no
      // empty last piece.
      Check(joined == s || joined + std::string(other.view()) == s, "SplitText rejoins");
      break;
    }
    case 2: {  // TrimText is idempotent and a substring
      Text once = TrimText(text);
      Check(once.view() == TrimByWalk(s), "TrimText agrees with the character walk");
      // A text ending in a lone lead byte is cut before it and keeps the
      // spaces there, so only texts without one trim to a fixed point.
      if (!IsCharacterStart(s, s.size())) Check(once.size() < s.size(), "TrimText drops a lone lead byte");
      else Check(TrimText(once) == once, "TrimText idempotent");
      Check(s.find(once.view()) != std::string_view::npos, "TrimText substring");
      Check(RemoveSpaces(RemoveSpaces(text)) == RemoveSpaces(text), "RemoveSpaces idempotent");
      break;
    }
    case 3: {  // replacing with itself changes nothing but a lone lead byte end
      Text same = ReplaceText(text, other, other, true);
      Check(same == text, "ReplaceText identity");
      Text gone = ReplaceText(text, other, "", arg & 1);
      Check(gone.size() <= text.size(), "ReplaceText removal shrinks");
      break;
    }
    case 4: {
      Text lower = ToLowerCase(text);
      Check(lower.size() == text.size(), "ToLowerCase keeps length");
      Check(ToLowerCase(lower) == lower, "ToLowerCase idempotent");
      (void)TextToInt(text);
      Check(TextToInt(IntToText(arg * 1000003)) == arg * 1000003, "IntToText round trip");
      break;
    }
    case 5: {
      Text mid = TextMid(text, arg, static_cast<int32_t>(other.size()));
      Check(mid.size() <= text.size(), "TextMid length");
      Check(TextLeft(text, arg).view() == s.substr(0, arg < 0 ? 0 : arg), "TextLeft prefix");
      break;
    }
    case 6: {
      Text between = TextBetween(text, other, TextLeft(other, arg), std::nullopt, std::nullopt);
      Check(between.size() <= text.size(), "TextBetween length");
      (void)ValueAfterColon(text);
      break;
    }
    case 7: {
      ByteBuffer hay(rest), needle{other.view()};
      int32_t p = FindBytes(hay, needle);
      if (p != -1) Check(rest.substr(p - 1, needle.size()) == other.view(), "FindBytes occurrence");
      Check(CompareBytes(ConcatBytes(hay, ByteBuffer()), hay) == 0, "ConcatBytes identity");
      break;
    }
  }
  return 0;
}
