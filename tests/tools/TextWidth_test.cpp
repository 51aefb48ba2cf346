// Display widths of what the view shows, whatever locale the tests run in.
#include "gatewayhost/TextWidth.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway::host {
namespace {

TEST(GatewayHostTextWidth, CountsColumnsAsATerminalShowsThem) {
  struct Case {
    std::string text;
    size_t width;
  };
  const Case cases[] = {
      {"", 0},
      {"TC001", 5},
      {"永固紧固件", 10},               // wide CJK characters
      {"M5×12", 5},                     // × is narrow
      {"全角：（）", 10},               // full-width punctuation
      {"e\xCC\x81", 1},                 // e and a combining acute accent
      {"\xF0\x9F\x98\x80", 2},          // an emoji
      {"\xED\x95\x9C\xEA\xB8\x80", 4},  // Hangul
      {"a\xE2\x80\x8B"
       "b",
       2},          // a zero-width space
      {"\xFF", 1},  // not UTF-8: still counted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DisplayWidth(c.text), c.width);
  }
}

TEST(GatewayHostTextWidth, KeepsAValueOnOneLine) {
  EXPECT_EQ(OneLine("第一行\r\n第二行\tend\x01\x7F"), "第一行\\r\\n第二行\\tend\\x01\\x7F");
  EXPECT_EQ(OneLine("plain 文字 \\n"), "plain 文字 \\n");
}

}  // namespace
}  // namespace gateway::host
