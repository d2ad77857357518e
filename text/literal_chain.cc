#include "text/literal_chain.h"

#include <cstring>

#include "text/gbk_scan.h"

namespace zarvo {
namespace {

constexpr std::string_view kLazyGroup = "(.*?)";
// Bytes that mean something in a pattern; a run holds none of them.
constexpr char kSyntaxBytes[] = "\\^$.|?*+()[]{}";

// What the general engine lets an ASCII letter match besides its two cases.
constexpr std::string_view kKelvinSign = "\xE2\x84\xAA";  // matches k
constexpr std::string_view kLongS = "\xC5\xBF";           // matches s

constexpr size_t npos = std::string_view::npos;

bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }


// `run` (letters lowered) against the same number of bytes at `at`, a
// letter of the run taking either case.
bool EqualFolded(const char* at, std::string_view run) {
  for (size_t i = 0; i < run.size(); ++i) {
    const char c = run[i];
    const char b = IsLowerLetter(c) ? static_cast<char>(at[i] | 0x20) : at[i];
    if (b != c) return false;
  }
  return true;
}

// The next occurrence of something at or after a position, remembered so
// that asking again from a position up to the answer costs nothing.
struct Cursor {
  bool asked = false;
  size_t from = 0;
  size_t found = npos;

  template <typename Find>
  size_t Next(size_t at, Find find) {
    if (!asked || at < from || (found != npos && at > found)) {
      asked = true;
      from = at;
      found = find(at);
    }
    return found;
  }
};

}  // namespace

LiteralChain::LiteralChain(std::vector<std::string> runs, bool ignoreCase)
    : runs_(std::move(runs)), ignoreCase_(ignoreCase) {}

std::optional<LiteralChain> LiteralChain::Parse(std::string_view pattern, bool ignoreCase) {
  std::vector<std::string> runs(1);
  for (size_t i = 0; i < pattern.size();) {
    if (pattern.substr(i, kLazyGroup.size()) == kLazyGroup) {
      runs.emplace_back();
      i += kLazyGroup.size();
      continue;
    }
    const char c = pattern[i];
    if (c < 0x20 || c > 0x7E || std::strchr(kSyntaxBytes, c) != nullptr) return std::nullopt;
    runs.back() += ignoreCase ? static_cast<char>(gbk::FoldAscii(c)) : c;
    ++i;
  }
  if (runs.front().empty()) return std::nullopt;
  return LiteralChain(std::move(runs), ignoreCase);
}

bool LiteralChain::UsableOn(std::string_view text) const {
  if (!ignoreCase_) return true;
  bool hasK = false;
  bool hasS = false;
  for (const std::string& run : runs_) {
    hasK = hasK || run.find('k') != npos;
    hasS = hasS || run.find('s') != npos;
  }
  return !(hasK && text.find(kKelvinSign) != npos) && !(hasS && text.find(kLongS) != npos);
}

size_t LiteralChain::FindRun(std::string_view text, size_t i, size_t from) const {
  const std::string& run = runs_[i];
  if (from > text.size()) return npos;
  if (!ignoreCase_) return text.find(run, from);
  if (run.empty()) return from;

  // Look for the first byte of the run that is not a letter with memchr,
  // then compare the whole run around it.
  size_t anchor = 0;
  while (anchor < run.size() && IsLowerLetter(run[anchor])) ++anchor;
  if (anchor == run.size()) {
    for (size_t at = from; at + run.size() <= text.size(); ++at) {
      if (EqualFolded(text.data() + at, run)) return at;
    }
    return npos;
  }
  for (size_t at = from + anchor; at + (run.size() - anchor) <= text.size();) {
    const void* hit = std::memchr(text.data() + at, run[anchor], text.size() - at);
    if (hit == nullptr) return npos;
    const size_t start = static_cast<size_t>(static_cast<const char*>(hit) - text.data()) - anchor;
    if (start + run.size() > text.size()) return npos;
    if (EqualFolded(text.data() + start, run)) return start;
    at = start + anchor + 1;
  }
  return npos;
}

std::vector<LiteralChain::Span> LiteralChain::FindAll(std::string_view text, bool all) const {
  std::vector<Span> matches;
  std::vector<Cursor> runCursors(runs_.size());
  Cursor lineFeed;
  auto nextRun = [&](size_t i, size_t at) {
    return runCursors[i].Next(at, [&](size_t from) { return FindRun(text, i, from); });
  };
  auto nextLineFeed = [&](size_t at) {
    return lineFeed.Next(at, [&](size_t from) { return text.find('\n', from); });
  };

  size_t from = 0;
  for (;;) {
    const size_t start = nextRun(0, from);
    if (start == npos) break;
    size_t at = start + runs_[0].size();
    bool matched = true;
    for (size_t i = 1; i < runs_.size(); ++i) {
      const size_t found = nextRun(i, at);
      // Later starts only push the runs further on, so once a run has no
      // occurrence left there is no match left either.
      if (found == npos) return matches;
      if (nextLineFeed(at) < found) {
        matched = false;
        break;
      }
      at = found + runs_[i].size();
    }
    if (!matched) {
      // L0 begins with an ASCII byte, so one byte on is a character start.
      from = start + 1;
      continue;
    }
    matches.push_back({start, at - start});
    if (!all) break;
    from = at;
  }
  return matches;
}

std::vector<LiteralChain::Span> LiteralChain::Groups(std::string_view text, Span match) const {
  std::vector<Span> groups{match};
  size_t at = match.begin + runs_[0].size();
  for (size_t i = 1; i < runs_.size(); ++i) {
    const size_t found = FindRun(text, i, at);
    if (found == npos) break;  // not a match of this chain
    groups.push_back({at, found - at});
    at = found + runs_[i].size();
  }
  groups.resize(runs_.size(), Span{});
  return groups;
}

}  // namespace zarvo
