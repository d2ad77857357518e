// The page text a search scrapes: converted from UTF-8 only when it is UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "app/search_command.h"
#include "text/byte_buffer.h"

namespace zarvo {
namespace {

TEST(IsValidUtf8, AcceptsWellFormedAndRejectsEveryMalformedShape) {
  const struct {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII markup <a href=\"x\">, long enough to take the eight-byte steps", true},
      {"\xE4\xB8\xAD\xE6\x96\x87", true},             // 中文
      {"\xC2\x80\xDF\xBF", true},                     // U+0080, U+07FF
      {"\xEF\xBF\xBF\xF0\x90\x80\x80", true},         // U+FFFF, U+10000
      {"\xF4\x8F\xBF\xBF", true},                     // U+10FFFF
      {"\xD6\xD0\xCE\xC4", false},                    // 中文 in GBK
      {"abcdefgh\x80", false},                        // stray continuation after a fast step
      {"\xC0\xAF", false},                            // overlong '/'
      {"\xE0\x80\xAF", false},                        // overlong, three bytes
      {"\xF0\x80\x80\xAF", false},                    // overlong, four bytes
      {"\xED\xA0\x80", false},                        // surrogate U+D800
      {"\xF4\x90\x80\x80", false},                    // above U+10FFFF
      {"\xF5\x80\x80\x80", false},                    // no such lead byte
      {"\xE4\xB8", false},                            // cut off at the end
      {"\xE4\x41\xAD", false},                        // ASCII inside a sequence
      {"\xFF", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
  }
}

TEST(PageText, ConvertsOnlyUtf8AndStopsAtTheFirstZeroByte) {
  const struct {
    const char* what;
    std::string body;
    std::string page;
  } cases[] = {
      {"UTF-8", "<td>\xE4\xB8\xAD</td>", "<td>\xD6\xD0</td>"},
      {"GBK stays as it is", "<td>\xD6\xD0\xCE\xC4</td>", "<td>\xD6\xD0\xCE\xC4</td>"},
      {"ASCII", "<td>x</td>", "<td>x</td>"},
      {"a zero byte ends the page", std::string("ab\0\xE4\xB8\xAD", 5), "ab"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PageText(ByteBuffer(c.body)).str(), c.page);
  }
}

}  // namespace
}  // namespace zarvo
