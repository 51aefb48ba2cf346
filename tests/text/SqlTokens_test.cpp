#include "text/SqlTokens.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway {
namespace {

// The tokens as "kind:text" items, for comparing a whole split at once.
std::string Split(std::string_view sql) {
  static const char* const kNames[] = {"blank",   "word",  "literal", "name",  "comment", "prefix",
                                       "dollar",  "open",  "close",   "semi",  "comma",   "symbol"};
  std::string out;
  for (const SqlToken& token : TokenizeSql(sql)) {
    out += std::string(kNames[static_cast<int>(token.kind)]) + (token.closed ? ":" : "!:") +
           std::string(token.text) + "|";
  }
  return out;
}

TEST(SqlTokens, EveryQuotingFormEndsWhereTheDatabaseEndsIt) {
  struct Case {
    const char* sql;
    const char* tokens;
  };
  const Case cases[] = {
      {"'a''b'x", "literal:'a''b'|word:x|"},
      {"'a;--)", "literal!:'a;--)|"},
      {"\"a\"\"b\".c", "name:\"a\"\"b\"|symbol:.|word:c|"},
      {"[a']) union", "name:[a']|close:)|blank: |word:union|"},
      {"`a``b`", "name:`a``b`|"},
      {"[a]]", "name:[a]|symbol:]|"},
      {"[a", "name!:[a|"},
      {"a--b\nc", "word:a|comment:--b\n|word:c|"},
      {"a/*'*/b", "word:a|comment:/*'*/|word:b|"},
      {"/*x", "comment!:/*x|"},
      {"$$PURTC a$b $x", "prefix:$$|word:PURTC|blank: |word:a$b|blank: |dollar:$|word:x|"},
      {"a$$b", "word:a|prefix:$$|word:b|"},
      {"f(x,1);", "word:f|open:(|word:x|comma:,|word:1|close:)|semi:;|"},
      {"名称<>'值'", "word:名称|symbol:<|symbol:>|literal:'值'|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(Split(c.sql), c.tokens);
  }
}

TEST(SqlTokens, TheTokensGiveTheTextBack) {
  const std::string sql = " SELECT [a'],\"b\" FROM $$T WHERE x='$$' --c\n/*d*/ ;";
  std::string joined;
  for (const SqlToken& token : TokenizeSql(sql)) joined += token.text;
  EXPECT_EQ(joined, sql);
}

TEST(SqlTokens, ThePrefixMarkerIsReplacedOnlyInTheStatementsOwnText) {
  struct Case {
    const char* sql;
    const char* prefix;
    const char* replaced;
  };
  const Case cases[] = {
      {"select * from $$PURTC where TC002 like '%$$%'", "ERP_F01.",
       "select * from ERP_F01.PURTC where TC002 like '%$$%'"},
      {" UPDATE $$PURTC SET TC035='Y' WHERE TC001='A$$1' AND TC002='x'", "DB1..",
       " UPDATE DB1..PURTC SET TC035='Y' WHERE TC001='A$$1' AND TC002='x'"},
      {"select [a$$b], \"c$$\", `$$` from $$T /* $$ */", "", "select [a$$b], \"c$$\", `$$` from T /* $$ */"},
      {"select 'it''s $$' from $$T", "S.", "select 'it''s $$' from S.T"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(ReplaceSqlPrefixMarker(c.sql, c.prefix), c.replaced);
  }
}

}  // namespace
}  // namespace gateway
