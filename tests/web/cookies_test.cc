#include "web/cookies.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(MergeCookies, Table) {
  static const struct {
    const char* name;
    const char* sent;
    const char* received;
    const char* want;
    const char* receivedAfter;
  } kCases[] = {
      {"nothing sent", "", "a=1; b=2; ", "a=1; b=2", "a=1;b=2;"},
      {"received value wins, unreturned sent follows", "a=1; c=3", "a=9; ", "a=9; c=3", "a=9;"},
      // The name is present before deleted items are filtered, so s=old is not re-added.
      {"deleted also suppresses the sent one", "s=old", "s=deleted; ", "", "s=deleted;"},
      {"same name twice received stays in order", "", "a=1; a=2; ", "a=1; a=2", "a=1;a=2;"},
      {"exact duplicates once", "", "a=1; a=1; ", "a=1", "a=1;a=1;"},
      {"names respect case", "A=1", "a=2; ", "a=2; A=1", "a=2;"},
      {"deleted test respects case", "", "s=DELETED; ", "s=DELETED", "s=DELETED;"},
      {"short item compared whole", "", "deleted; ", "deleted", "deleted;"},
      {"spaces in values removed", "v=a b", "", "v=ab", ""},
      {"empty received piece survives once", "", "a=1; ; b=2; ; ", "a=1; ; b=2", "a=1;;b=2;;"},
      {"later sent item of an appended name skipped", "c=1; c=2", "", "c=1", ""},
      {"both empty", "", "", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Text sent = c.sent, received = c.received;
    EXPECT_EQ(MergeCookies(&sent, &received), Text(c.want));
    EXPECT_EQ(sent, Text(c.want));
    EXPECT_EQ(received, Text(c.receivedAfter));
  }
}

TEST(MergeCookies, NullArgumentsReadAsEmpty) {
  Text received = "a = 1";
  EXPECT_EQ(MergeCookies(nullptr, &received), Text("a=1"));
  EXPECT_EQ(received, Text("a=1"));
  EXPECT_EQ(MergeCookies(nullptr, nullptr), Text());
}

TEST(CookieHelpers, NamesAndDistinctPieces) {
  EXPECT_EQ(CookieName(" sid =x=y"), Text("sid"));
  EXPECT_EQ(CookieName("flag"), Text("flag"));
  EXPECT_FALSE(HasCookieName({}, "a"));
  EXPECT_FALSE(HasCookieName({"A=1"}, "a"));
  EXPECT_TRUE(HasCookieName({"b=1", "a=2"}, "a"));
  EXPECT_EQ(JoinDistinct("a; b; a; ", "; "), Text("a; b"));
  EXPECT_EQ(JoinDistinct("", "; "), Text());
  EXPECT_TRUE(ContainsText({"a", ""}, ""));
  EXPECT_FALSE(ContainsText({"a"}, "A"));
}

}  // namespace
}  // namespace zarvo
