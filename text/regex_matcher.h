// RegexMatcher: one regular expression run once over one subject text,
// then asked about the result: how many matches, the text of each match and
// of each capturing group, and where a returned text lies in the subject.
// Match and group numbers count from 1.
//
// The engine is RE2. The subject and pattern are GBK texts; they cross to
// the engine decoded to UTF-8 (never as raw GBK bytes, whose trail bytes can
// look like ASCII letters), and every returned text is encoded back to GBK.
// Matching therefore works on characters: a two-byte GBK character is one
// character.
//
// Semantics the callers rely on:
//   - groups are numbered by their opening parentheses; "*?" is lazy;
//   - "." matches any character except a line feed (a carriage return
//     included), and no option changes that;
//   - with `global`, the matches are all non-overlapping matches in order,
//     each search starting where the previous match ended (one character
//     further after an empty match); without it, only the first;
//   - with `multiline`, "^" and "$" also match at line starts and ends; a
//     line ends before its line feed, so in CR LF text "$" comes after the
//     carriage return ("a\r$" matches, "a$" does not).
// RE2 guarantees time linear in the subject. It has no backreferences and
// no lookaround: a pattern that uses them is rejected (Create gives false).
// "\uXXXX" is accepted and means the character U+XXXX.
//
// Nothing fails loudly: a rejected pattern, an index out of range or an
// accessor before the first Create gives an empty text or 0.
//
// Example:
//   RegexMatcher m;
//   m.Create("<b>(.*?)</b>", "<B>x</B><b>y</b>");   // true; case ignored
//   m.MatchCount();                                  // 2
//   m.SubmatchText(2, 1);                            // "y"
//
// A matcher is used from one thread at a time, and is not copied.
#ifndef ZARVO_TEXT_REGEX_MATCHER_H_
#define ZARVO_TEXT_REGEX_MATCHER_H_

#include <cstdint>
#include <memory>
#include <optional>

#include "text/text_value.h"

namespace zarvo {

class RegexMatcher {
 public:
  // A matcher with no pattern, no matches and an empty subject.
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher&) = delete;
  RegexMatcher& operator=(const RegexMatcher&) = delete;

  // Create()
  //
  // Runs `pattern` over `subject` and keeps the matches and a copy of the
  // subject, discarding whatever an earlier Create left. Options (omitted):
  // `caseSensitive` (false: letters match regardless of case), `multiline`
  // (true), `global` (true), `quotePlaceholder` (false: when true, every
  // "#引号" in the pattern stands for one double quote). Returns true iff the
  // engine accepted the pattern, even when nothing matched.
  //
  // Example: Create("(", "x") == false; Create("y", "x") == true
  bool Create(const Text& pattern, const Text& subject, std::optional<bool> caseSensitive = std::nullopt,
              std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt,
              std::optional<bool> quotePlaceholder = std::nullopt);

  // GetPattern()
  //
  // The pattern the last Create gave the engine, placeholders expanded
  // (accepted or not); empty before the first Create.
  //
  // Example: after Create("a#引号b", "", {}, {}, {}, true), "a\"b"
  Text GetPattern() const;

  // Replace()
  //
  // The stored subject with the matches of the last Create replaced by
  // `replacement`, in which "\0" stands for the whole match, "\1" to "\9"
  // for the groups and "\\" for a backslash. Empty when the pattern was
  // rejected, before the first Create, or when `replacement` names a group
  // the pattern lacks or has another backslash.
  //
  // Example: after Create("(b)", "abc"), Replace("[\\1]") == "a[b]c"
  Text Replace(const Text& replacement) const;

  // MatchCount()
  //
  // The number of matches; 0 when nothing matched, the pattern was rejected
  // or Create never ran.
  //
  // Example: after Create("a", "banana"), 3
  int32_t MatchCount() const;

  // MatchText()
  //
  // The text of match `matchIndex` (1-based); empty when there is no such
  // match. When `position` is not null it receives the position of the
  // result in the subject, found as described under FindPosition below.
  //
  // Example: after Create("a.", "xaby"), MatchText(1) == "ab"
  Text MatchText(int32_t matchIndex, int32_t* position = nullptr) const;

  // SubmatchText()
  //
  // The text of group `groupIndex` (1-based) of match `matchIndex`; empty
  // when either is out of range or the group took no part in the match.
  // `position` as for MatchText, searched from where the whole match starts.
  //
  // Example: after Create("(a)|(b)", "b"), SubmatchText(1, 2) == "b" and
  // SubmatchText(1, 1) == ""
  Text SubmatchText(int32_t matchIndex, int32_t groupIndex, int32_t* position = nullptr) const;

  // SubmatchCount()
  //
  // The number of capturing groups, counted on the first match; 0 when
  // nothing matched.
  //
  // Example: after Create("(a)(b)(c)?", "ab ab"), 3
  int32_t SubmatchCount() const;

  // FindPosition (how `position` is found): take the start of the whole
  // match counted in characters (UTF-16 units) from 0, and search the
  // subject for the returned text with FindText from that number taken as a
  // 1-based byte position, ignoring ASCII case when the pattern did; the
  // result is the 1-based find minus 1. So it is a 0-based byte offset of
  // the text's first occurrence at or after byte offset start - 1, and -2
  // when the search finds nothing.
  //
  // Example: subject "\xB0\xA1\xB0\xA1" "ab", pattern "b": the match starts
  // at character 3, the search from byte 3 finds "b" at byte 6: position 5.

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zarvo

#endif  // ZARVO_TEXT_REGEX_MATCHER_H_
