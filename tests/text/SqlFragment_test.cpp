#include "text/SqlFragment.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway {
namespace {

using Kind = SqlFragmentKind;

TEST(SqlFragment, WhatEachKindRefusesAndWhy) {
  struct Case {
    const char* fragment;
    Kind kind;
    const char* problem;  // empty: allowed
  };
  const Case cases[] = {
      // Column expressions.
      {"TC001", Kind::kColumn, ""},
      {"[TC001]", Kind::kColumn, ""},
      {"Object.TC002", Kind::kColumn, ""},
      {"SUBSTRING(TC003,1,4)", Kind::kColumn, ""},
      {"[a'b]", Kind::kColumn, ""},
      {"[select]", Kind::kColumn, ""},
      {"TC001,TC002", Kind::kColumn, "a comma outside parentheses"},
      {"TC001 'x'", Kind::kColumn, "an apostrophe"},
      {"TC001 --", Kind::kColumn, "a comment"},
      {"TC001/*", Kind::kColumn, "a comment"},
      {"TC001;DELETE FROM PURTC", Kind::kColumn, "a semicolon"},
      {"(select TC002 from PURTC)", Kind::kColumn, "the word SELECT"},
      {"TC001) union (TC002", Kind::kColumn, "a parenthesis that closes nothing"},
      {"TC001 intersect TC002", Kind::kColumn, "the word INTERSECT"},
      {"f(TC001", Kind::kColumn, "a parenthesis that does not close"},
      {"[TC001", Kind::kColumn, "a quoted name that does not end"},
      {"[a]]b]", Kind::kColumn, "a bracket that closes nothing"},
      {"$a$", Kind::kColumn, "a dollar sign"},
      // Order lists.
      {"TC001 DESC, [TC002] asc, f(a,b)", Kind::kColumnList, ""},
      {"TC001,TC002 DESC; drop table PURTC", Kind::kColumnList, "a semicolon"},
      {"TC001, [a,b]", Kind::kColumnList, ""},
      // Restrictions.
      {"TC004 in (select MA001 from $$PURMA where MA002 <> 'a;b--')", Kind::kRestriction, ""},
      {"exists(select 1 union select 2)", Kind::kRestriction, ""},
      {"TC002 like '%[a'']%'", Kind::kRestriction, ""},
      {"exists(select 1 as [a']) ) union select name,substr(sql,1,60) from sqlite_master --')",
       Kind::kRestriction, "a parenthesis that closes nothing"},
      {"exists(select 1 as [a']) union select name from sqlite_master where ('1'='1",
       Kind::kRestriction, "the word UNION outside parentheses"},
      {"TC004 = \"a'\" union select 1", Kind::kRestriction, "the word UNION outside parentheses"},
      {"TC004 = `a'` except select 1", Kind::kRestriction, "the word EXCEPT outside parentheses"},
      {"TC004='S1'; update PURTC set TC035='Y'", Kind::kRestriction, "a semicolon"},
      {"TC004='S1' --", Kind::kRestriction, "a comment"},
      {"(TC004='S1'", Kind::kRestriction, "a parenthesis that does not close"},
      {"TC004='S1", Kind::kRestriction, "a literal that does not end"},
      {"TC004=E'\\'' or 1=1 --'", Kind::kRestriction, "a backslash before an apostrophe"},
      {"TC004=E'x'", Kind::kRestriction, "an E'...' literal"},
      {"TC004=$a$'$a$", Kind::kRestriction, "a dollar sign"},
      {"exists(delete from PURTC)", Kind::kRestriction, "the word DELETE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fragment);
    EXPECT_EQ(SqlFragmentProblem(c.fragment, c.kind), c.problem);
  }
}

}  // namespace
}  // namespace gateway
