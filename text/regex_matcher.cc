#include "text/regex_matcher.h"

#include <re2/re2.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/between.h"
#include "text/find.h"
#include "text/icu_codec.h"
#include "text/literal_chain.h"
#include "text/rewrite.h"

namespace zarvo {
namespace {

constexpr char kMultilineFlag[] = "(?m)";

// RE2's memory budget for a compiled pattern and its DFA caches. Above the
// 8 MiB default so that long pages keep the fast DFA instead of falling back
// to the slower (still linear) NFA.
constexpr int64_t kEngineMaxMem = int64_t{64} << 20;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Rewrites "\uXXXX" as RE2's "\x{XXXX}"; every other escape is kept as is.
std::string TranslateEscapes(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '\\' || i + 1 >= pattern.size()) {
      out += pattern[i];
      continue;
    }
    if (pattern[i + 1] == 'u' && i + 5 < pattern.size() && IsHexDigit(pattern[i + 2]) &&
        IsHexDigit(pattern[i + 3]) && IsHexDigit(pattern[i + 4]) && IsHexDigit(pattern[i + 5])) {
      out += "\\x{";
      out.append(pattern.substr(i + 2, 4));
      out += '}';
      i += 5;
      continue;
    }
    out.append(pattern.substr(i, 2));
    ++i;
  }
  return out;
}

std::string_view View(const re2::StringPiece& piece) { return std::string_view(piece.data(), piece.size()); }

// Length of the UTF-8 character that starts with `lead` (1 for a byte that
// cannot start one, so that stepping always moves on).
size_t Utf8CharLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

struct RegexMatcher::State {
  // The pattern as given to the engine (GBK) and the case option of the
  // last Create; empty and false before the first.
  Text pattern;
  bool ignoreCase = false;

  std::unique_ptr<RE2> engine;  // null when the pattern was rejected
  Text subject;                 // GBK, as given
  std::string utf8;             // the subject as the engine sees it

  // Every match with all its groups, `width` pieces of the UTF-8 subject
  // per match: the whole match, then group 1 onwards. A group that took no
  // part has a null data pointer.
  size_t width = 1;
  std::vector<re2::StringPiece> pieces;

  // Last answered character offset: UTF-8 byte offset and UTF-16 count.
  mutable size_t cursorBytes = 0;
  mutable size_t cursorUnits = 0;

  void Reset() {
    engine.reset();
    subject = Text();
    utf8.clear();
    width = 1;
    pieces.clear();
    cursorBytes = cursorUnits = 0;
  }

  size_t MatchCount() const { return pieces.size() / width; }

  // The pieces of match number `matchIndex` (1-based), or null.
  const re2::StringPiece* Match(int32_t matchIndex) const {
    if (matchIndex < 1 || static_cast<size_t>(matchIndex) > MatchCount()) return nullptr;
    return &pieces[(static_cast<size_t>(matchIndex) - 1) * width];
  }

  // Where `at` in the UTF-8 subject lies, in UTF-16 units from its start.
  size_t UnitOffset(const char* at) const {
    size_t target = static_cast<size_t>(at - utf8.data());
    if (target < cursorBytes) cursorBytes = cursorUnits = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t units = cursorUnits;
    for (size_t i = cursorBytes; i < target; ++i) {
      // Every byte but a continuation byte starts a unit; a four-byte
      // sequence becomes two.
      units += ((bytes[i] & 0xC0) != 0x80) + (bytes[i] >= 0xF0);
    }
    cursorBytes = target;
    cursorUnits = units;
    return units;
  }

  // The position of `text` in the subject for a match starting at `at`
  // (or at character 0 when there is no such match).
  int32_t FindPosition(const Text& text, const char* at) const {
    size_t first = at == nullptr ? 0 : UnitOffset(at);
    int32_t start = static_cast<int32_t>(std::min<size_t>(first, INT32_MAX));
    return FindText(subject, text, start, ignoreCase) - 1;
  }

  // Finds the matches with `chain`, which has the pattern's shape.
  void MatchChain(const LiteralChain& chain, bool all) {
    for (const LiteralChain::Span& m : chain.FindAll(utf8, all)) {
      for (const LiteralChain::Span& g : chain.Groups(utf8, m)) pieces.emplace_back(utf8.data() + g.begin, g.size);
    }
  }

  // Finds the matches with the engine, each with its groups.
  void MatchEngine(bool all) {
    const re2::StringPiece text(utf8);
    std::vector<re2::StringPiece> found(width);
    const int n = static_cast<int>(width);
    size_t from = 0;
    while (from <= text.size() && engine->Match(text, from, text.size(), RE2::UNANCHORED, found.data(), n)) {
      pieces.insert(pieces.end(), found.begin(), found.end());
      if (!all) break;
      const re2::StringPiece& m = found[0];
      const size_t end = static_cast<size_t>(m.data() - text.data()) + m.size();
      // After an empty match the next search starts one character on.
      from = m.empty() ? end + (end < text.size() ? Utf8CharLength(static_cast<unsigned char>(text[end])) : 1) : end;
    }
  }
};

RegexMatcher::RegexMatcher() : state_(std::make_unique<State>()) {}
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::Create(const Text& pattern, const Text& subject, std::optional<bool> caseSensitive,
                          std::optional<bool> multiline, std::optional<bool> global,
                          std::optional<bool> quotePlaceholder) {
  State& s = *state_;
  s.Reset();
  s.ignoreCase = !caseSensitive.value_or(false);
  s.pattern = quotePlaceholder.value_or(false) ? ReplaceText(pattern, kQuotePlaceholder, "\"", true) : pattern;

  const std::string utf8Pattern = codec::GbkToUtf8(s.pattern.view());
  std::string enginePattern = multiline.value_or(true) ? kMultilineFlag : "";
  enginePattern += TranslateEscapes(utf8Pattern);
  RE2::Options options;
  options.set_encoding(RE2::Options::EncodingUTF8);
  options.set_case_sensitive(!s.ignoreCase);
  options.set_log_errors(false);
  options.set_max_mem(kEngineMaxMem);
  auto engine = std::make_unique<RE2>(enginePattern, options);

  s.subject = subject;
  s.utf8 = codec::GbkToUtf8(subject.view());
  if (!engine->ok()) return false;
  s.engine = std::move(engine);

  s.width = static_cast<size_t>(s.engine->NumberOfCapturingGroups()) + 1;

  // A pattern of literal runs joined by lazy groups is matched directly,
  // when that answers as the engine would on this subject.
  const bool all = global.value_or(true);
  std::optional<LiteralChain> chain = LiteralChain::Parse(utf8Pattern, s.ignoreCase);
  if (chain && chain->GroupCount() + 1 == s.width && chain->UsableOn(s.utf8)) {
    s.MatchChain(*chain, all);
  } else {
    s.MatchEngine(all);
  }
  return true;
}

Text RegexMatcher::GetPattern() const { return state_->pattern; }

Text RegexMatcher::Replace(const Text& replacement) const {
  const State& s = *state_;
  if (!s.engine) return Text();
  const std::string rewrite = codec::GbkToUtf8(replacement.view());
  std::string out;
  out.reserve(s.utf8.size());
  const char* copied = s.utf8.data();
  for (size_t at = 0; at < s.pieces.size(); at += s.width) {
    const re2::StringPiece& m = s.pieces[at];
    out.append(copied, static_cast<size_t>(m.data() - copied));
    if (!s.engine->Rewrite(&out, rewrite, &s.pieces[at], static_cast<int>(s.width))) return Text();
    copied = m.data() + m.size();
  }
  out.append(copied, static_cast<size_t>(s.utf8.data() + s.utf8.size() - copied));
  return Text(codec::Utf8ToGbk(out));
}

int32_t RegexMatcher::MatchCount() const {
  return static_cast<int32_t>(std::min<size_t>(state_->MatchCount(), INT32_MAX));
}

Text RegexMatcher::MatchText(int32_t matchIndex, int32_t* position) const {
  const State& s = *state_;
  const re2::StringPiece* m = s.Match(matchIndex);
  Text result = m ? Text(codec::Utf8ToGbk(View(*m))) : Text();
  if (position) *position = s.FindPosition(result, m ? m->data() : nullptr);
  return result;
}

Text RegexMatcher::SubmatchText(int32_t matchIndex, int32_t groupIndex, int32_t* position) const {
  const State& s = *state_;
  const re2::StringPiece* m = s.Match(matchIndex);
  Text result;
  if (m && groupIndex >= 1 && static_cast<size_t>(groupIndex) < s.width) {
    result = Text(codec::Utf8ToGbk(View(m[groupIndex])));
  }
  if (position) *position = s.FindPosition(result, m ? m->data() : nullptr);
  return result;
}

int32_t RegexMatcher::SubmatchCount() const {
  const State& s = *state_;
  return s.MatchCount() == 0 ? 0 : static_cast<int32_t>(s.width - 1);
}

}  // namespace zarvo
