// The page text a search scrapes: converted from UTF-8 only when it is UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "app/search_command.h"
#include "text/byte_buffer.h"

namespace zarvo {
namespace {

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
