// LiteralChain: a pattern made of literal runs joined by lazy groups,
//   L0(.*?)L1(.*?)...(.*?)Ln
// with every run printable ASCII free of pattern syntax and L0 not empty
// (the shape of the search command's row pattern), matched directly on
// UTF-8 text. Internal to the pattern matcher, which uses it in place of
// the general engine when the pattern has this shape.
//
// It gives the engine's leftmost-first answer exactly. A lazy group takes
// the shortest text after which the rest of the chain can still match, and
// it never crosses a line feed. Placing each run at its earliest
// occurrence is then always right: a later occurrence leaves the rest of
// the chain less room, never more. So a match starts at the first L0
// occurrence from which the earliest occurrences of L1..Ln follow on the
// same line, and its groups are the text between them.
//
// Time: linear in the text for a given pattern, for the whole search and
// however the text is built: each run's next occurrence and the next line
// feed are remembered, and the positions asked about only move forward.
//
// Case: with `ignoreCase`, ASCII letters match either case. The general
// engine also lets "k" match U+212A KELVIN SIGN and "s" match U+017F LONG S;
// UsableOn() is false for a text holding either of those, and the caller
// then uses the general engine.
#ifndef ZARVO_TEXT_LITERAL_CHAIN_H_
#define ZARVO_TEXT_LITERAL_CHAIN_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

class LiteralChain {
 public:
  // A piece of the text: byte offset and length. A group that took no
  // part in the match does not occur here (every group of a chain does).
  struct Span {
    size_t begin = 0;
    size_t size = 0;
    friend bool operator==(const Span&, const Span&) = default;
  };

  // The chain for `pattern` (UTF-8, without option flags), or nullopt when
  // the pattern has another shape.
  // Example: Parse("<b>(.*?)</b>", true) holds runs "<b>", "</b>";
  //          Parse("a(.+?)b", true) is nullopt.
  static std::optional<LiteralChain> Parse(std::string_view pattern, bool ignoreCase);

  // True iff the chain matches `text` exactly as the general engine would.
  bool UsableOn(std::string_view text) const;

  // Every non-overlapping match in `text`, in order, each search starting
  // where the previous match ended; only the first when `all` is false.
  // Example: chain "a(.*?)b" on "a1b a2b" gives {0, 3} and {4, 3}.
  std::vector<Span> FindAll(std::string_view text, bool all) const;

  // The groups of `match`, a match FindAll returned: entry 0 is the match,
  // entry k group k.
  // Example: chain "a(.*?)b" on "xa1b", match {1, 3}: {1,3}, {2,1}.
  std::vector<Span> Groups(std::string_view text, Span match) const;

  size_t GroupCount() const { return runs_.size() - 1; }

 private:
  LiteralChain(std::vector<std::string> runs, bool ignoreCase);

  // Offset of the first occurrence of run `i` in `text` at or after
  // `from`; npos when there is none.
  size_t FindRun(std::string_view text, size_t i, size_t from) const;

  std::vector<std::string> runs_;  // letters lowered when ignoring case
  bool ignoreCase_;
};

}  // namespace zarvo

#endif  // ZARVO_TEXT_LITERAL_CHAIN_H_
