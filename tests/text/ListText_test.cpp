#include "text/ListText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway/Exception.h"

namespace gateway {
namespace {

TEST(ListTextItems, GetNthItem) {
  struct Case {
    const char* text;
    const char* separator;
    int n;
    const char* expected;
  };
  const Case cases[] = {
      {"A,B,C", ",", 1, "A"}, {"A,B,C", ",", 2, "B"},  {"A,B,C", ",", 3, "C"},
      {"A,B,C", ",", 4, ""},  {"A,B,C", ",", 0, ""},   {"A,B,C", ",", -1, ""},
      {"A,B,", ",", 3, ""},   {"A,B,", ",", 2, "B"},   {",B", ",", 1, ""},
      {"", ",", 1, ""},       {"A,B", "", 1, "A,B"},   {"A,B", "", 2, ""},
      {"A||B", "||", 2, "B"}, {"中,文", ",", 2, "文"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " #" + std::to_string(c.n));
    EXPECT_EQ(GetNthItem(c.text, c.separator, c.n), c.expected);
  }
}

TEST(ListTextItems, CountItems) {
  EXPECT_EQ(CountItems("A,B,C", ","), 3);
  EXPECT_EQ(CountItems("", ","), 0);
  EXPECT_EQ(CountItems("A", ","), 1);
  EXPECT_EQ(CountItems("A,", ","), 2);
  EXPECT_EQ(CountItems("A,B", ""), 1);
  EXPECT_EQ(CountItems("a|||b", "||"), 2);
}

TEST(ListTextItems, CutFirstItemAndAppendItem) {
  std::string list = "a,b,c";
  EXPECT_EQ(CutFirstItem(list, ","), "a");
  EXPECT_EQ(list, "b,c");
  std::string single = "abc";
  EXPECT_EQ(CutFirstItem(single, ""), "abc");
  EXPECT_EQ(single, "");

  std::string built;
  AppendItem(built, ",", "a");
  AppendItem(built, ",", "");
  AppendItem(built, ",", "b");
  EXPECT_EQ(built, "a,,b");
}

TEST(ListTextItems, SplitToListTrimsAndAppends) {
  struct Case {
    const char* text;
    const char* separator;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a,,b", ",", {"a", "", "b"}}, {"a,", ",", {"a"}},
      {",a", ",", {"", "a"}},        {"", ",", {}},
      {" a b ", ",", {"a b"}},       {" a , b ", "", {"a , b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> list;
    SplitToList(c.text, c.separator, list);
    EXPECT_EQ(list, c.expected);
  }
  std::vector<std::string> list = {"kept"};
  SplitToList("x", ",", list);
  EXPECT_EQ(list, (std::vector<std::string>{"kept", "x"}));
}

TEST(ListTextReplace, ReplaceAllRepeated) {
  struct Case {
    const char* text;
    const char* from;
    const char* to;
    bool trim;
    const char* expected;
  };
  const Case cases[] = {
      {"a    b", "  ", " ", false, "a b"},
      {"aaab", "ab", "b", false, "b"},  // a new occurrence forms before the last one
      {" a;b; ", ";", "\n", true, "a\nb"},
      {"aAa", "a", "A", false, "aAa"},  // equal ignoring case: nothing replaced
      {" x ", "a", "A", true, "x"},
      {" x ", "", "y", false, " x "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReplaceAllRepeated(c.text, c.from, c.to, c.trim), c.expected);
  }
  EXPECT_THROW(ReplaceAllRepeated("a", "a", "ba", false), Exception);
}

TEST(ListTextOther, ChooseText) {
  EXPECT_EQ(ChooseText(true, "y", "n"), "y");
  EXPECT_EQ(ChooseText(false, "y", "n"), "n");
}

TEST(ListTextKeyValue, GetKeyValue) {
  const std::string text = "Provider=SQLOLEDB.1;Password=p=w;d;User ID=sa";
  EXPECT_EQ(GetKeyValue(text, "Password"), "p=w");
  EXPECT_EQ(GetKeyValue(text, "password"), "p=w");
  EXPECT_EQ(GetKeyValue(text, "user id"), "sa");
  EXPECT_EQ(GetKeyValue(text, "Missing"), "");
  EXPECT_EQ(GetKeyValue("", "Password"), "");
  EXPECT_EQ(GetKeyValue("A=1; Password=x ;B=2", "Password"), "x ");
  EXPECT_EQ(GetKeyValue("A=1;A=2", "A"), "1");
}

TEST(ListTextKeyValue, SetKeyValue) {
  struct Case {
    const char* value;
    const char* text;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"3", "a=1;b=2", "b", "a=1;b=3;"},
      {"3", "a=1;b=2", "B", "a=1;B=3;"},
      {"3", "a=1;", "c", "a=1;c=3;"},
      {"", "a=1;b=2;", "a", "b=2;"},
      {"", "a=1", "a", ""},
      {"", "a=1", "z", "a=1;"},
      {"x", "", "k", "k=x;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + c.key);
    EXPECT_EQ(SetKeyValue(c.value, c.text, c.key), c.expected);
  }
}

}  // namespace
}  // namespace gateway
