#include "config/IniFile.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"

namespace gateway {
namespace {

TEST(IniFile, ValuesAsTheProfileReaderReturnsThem) {
  const IniFile ini = IniFile::FromBytes(
      "orphan=before any section\r\n"
      "[Options]\r\n"
      "; KeepLog=1 is a comment\r\n"
      "  HelpFile =  Manual.pdf  \r\n"
      "Quoted=\"  a b  \"\r\n"
      "Single='x'\r\n"
      "Mismatched=\"x'\r\n"
      "Equals=a=b\r\n"
      "Empty=\r\n"
      "HelpFile=second occurrence\r\n"
      "no equals sign\r\n"
      "[ Connection ]\n"
      "Provider=Provider=SQLite;Data Source=erp.db\n");
  EXPECT_EQ(ini.ReadString("Options", "HelpFile", "d"), "Manual.pdf");
  EXPECT_EQ(ini.ReadString("options", "HELPFILE", "d"), "Manual.pdf");
  EXPECT_EQ(ini.ReadString("Options", "Quoted", "d"), "  a b  ");
  EXPECT_EQ(ini.ReadString("Options", "Single", "d"), "x");
  EXPECT_EQ(ini.ReadString("Options", "Mismatched", "d"), "\"x'");
  EXPECT_EQ(ini.ReadString("Options", "Equals", "d"), "a=b");
  EXPECT_EQ(ini.ReadString("Options", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("Options", "KeepLog", "d"), "d");
  EXPECT_EQ(ini.ReadString("Options", "orphan", "d"), "d");
  EXPECT_EQ(ini.ReadString("Missing", "HelpFile", "d"), "d");
  EXPECT_EQ(ini.ReadString("CONNECTION", "provider", ""), "Provider=SQLite;Data Source=erp.db");
  EXPECT_TRUE(ini.SectionExists("connection"));
  EXPECT_FALSE(ini.SectionExists("Missing"));
}

TEST(IniFile, IntegersAndBooleans) {
  const IniFile ini = IniFile::FromBytes(
      "[N]\n"
      "Dec=42\nNeg=-17\nPlus=+5\nHex=0x1F\nHexUpper=0XfF\nDollar=$10\nNegHex=-$10\n"
      "Word=yes\nTrue=True\nTrailing=12abc\nBare0x=0x\nBareDollar=$\nEmpty=\n"
      "Max=2147483647\nMin=-2147483648\nTooBig=2147483648\nHexTooBig=0xFFFFFFFF\n"
      "Zero=0\nTwo=2\nQuoted=\"7\"\n");
  const struct {
    const char* key;
    int expected;
  } cases[] = {
      {"Dec", 42},      {"Neg", -17},        {"Plus", 5},
      {"Hex", 31},      {"HexUpper", 255},   {"Dollar", 16},
      {"NegHex", -16},  {"Word", -1},        {"True", -1},
      {"Trailing", -1}, {"Bare0x", -1},      {"BareDollar", -1},
      {"Empty", -1},    {"Max", 2147483647}, {"Min", -2147483647 - 1},
      {"TooBig", -1},   {"HexTooBig", -1},   {"Quoted", 7},
      {"Absent", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.ReadInteger("N", c.key, -1), c.expected) << c.key;
  }
  EXPECT_FALSE(ini.ReadBool("N", "Zero", true));
  EXPECT_TRUE(ini.ReadBool("N", "Two", false));
  EXPECT_TRUE(ini.ReadBool("N", "Neg", false));
  // Words are not numbers: the default applies.
  EXPECT_TRUE(ini.ReadBool("N", "Word", true));
  EXPECT_FALSE(ini.ReadBool("N", "True", false));
  EXPECT_TRUE(ini.ReadBool("N", "Absent", true));
}

TEST(IniFile, EncodingOfTheFile) {
  testing::TempFolder folder;
  // UTF-8 with a byte-order mark before the first section.
  testing::WriteFile(folder.Path("bom.ini"), "\xEF\xBB\xBF[Options]\nHelpFile=帮助.pdf\n");
  EXPECT_EQ(IniFile(folder.Path("bom.ini")).ReadString("Options", "HelpFile", ""), "帮助.pdf");

  // GB2312 bytes ("帮助" is B0 EF D6 FA) are not valid UTF-8 and are converted.
  testing::WriteFile(folder.Path("gb.ini"),
                     "[\xC5\xE4\xD6\xC3]\r\nHelpFile=\xB0\xEF\xD6\xFA.pdf\r\n");
  const IniFile gb(folder.Path("gb.ini"));
  EXPECT_EQ(gb.ReadString("配置", "HelpFile", ""), "帮助.pdf");
}

TEST(IniFile, MissingFileHasNoKeys) {
  testing::TempFolder folder;
  const IniFile ini(folder.Path("absent.ini"));
  EXPECT_EQ(ini.ReadString("Options", "HelpFile", "d"), "d");
  const IniFile directory(folder.Path());
  EXPECT_EQ(directory.ReadInteger("Options", "KeepLog", 7), 7);
}

}  // namespace
}  // namespace gateway
