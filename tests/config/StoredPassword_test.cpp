#include "config/StoredPassword.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigTestSupport.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;

TEST(StoredPassword, WorkedExampleInEitherCase) {
  EXPECT_EQ(EncodeSQLSa("abc"), "B0986C");
  EXPECT_EQ(DecodeSQLSa("B0986C"), "abc");
  EXPECT_EQ(DecodeSQLSa("b0986c"), "abc");
}

TEST(StoredPassword, EmptyPasswordTravelsAsTheMarker) {
  const std::string encoded = EncodeSQLSa("");
  EXPECT_EQ(encoded.size(), 72u);
  EXPECT_EQ(encoded, EncodeSQLSa(kEmptyPasswordMarker));
  EXPECT_EQ(DecodeSQLSa(encoded), "");
  EXPECT_EQ(DecodeSQLSa(""), "");
  EXPECT_EQ(DecodeSQLSa("B"), "");
  EXPECT_EQ(DecodeSQLSa("B0986"), "ab");  // a last odd digit is ignored
}

TEST(StoredPassword, EveryByteRoundTripsAtEveryPosition) {
  std::string plain;
  for (int i = 0; i < 256; ++i) plain += static_cast<char>(i);
  plain += "密码";
  EXPECT_EQ(DecodeSQLSa(EncodeSQLSa(plain)), plain);
  // At positions 8, 16, ... the rotation is by 0; 0x00 and 0xFF never change.
  EXPECT_EQ(EncodeSQLSa("1234567x").substr(14), "78");
  EXPECT_EQ(EncodeSQLSa(std::string("\0\xFF\0\xFF", 4)), "00FF00FF");
}

// Points the error report at a private folder for the test's length.
class StoredPasswordReport : public ::testing::Test {
 protected:
  std::string ReportText() const {
    std::string all;
    const fs::path log = fs::path(root_.Path()) / "Log";
    if (!fs::exists(log)) return all;
    for (const auto& entry : fs::directory_iterator(log)) all += testing::ReadFile(entry.path());
    return all;
  }

  testing::TempFolder root_;
  testing::ScopedEnv tmpdir_{"TMPDIR", root_.Path()};
  testing::ScopedEnv registry_{"GATEWAY_REGISTRY", root_.Path("no-registry.ini")};
};

TEST_F(StoredPasswordReport, BadDigitGivesTheErrorValueAndOneReport) {
  // "B0986C" is abc; the third pair is broken, so nothing decoded before it survives.
  EXPECT_EQ(DecodeSQLSa("B098ZC"), kPasswordError);
  const std::string report = ReportText();
  EXPECT_NE(report.find("解析 Sa 时发生错误!"), std::string::npos) << report;
  EXPECT_NE(report.find(EncodeSQLSa("DecodeSQLSa")), std::string::npos) << report;
  EXPECT_EQ(report.find("ab"), std::string::npos) << report;
}

TEST(StoredPassword, DecodePasswordItemReplacesOnlyThePassword) {
  const std::string stored = "Provider=SQLOLEDB;Password=" + EncodeSQLSa("s3cret") + ";User ID=sa";
  EXPECT_EQ(DecodePasswordItem(stored), "Provider=SQLOLEDB;Password=s3cret;User ID=sa;");
  EXPECT_EQ(DecodePasswordItem("Provider=SQLite;password=" + EncodeSQLSa("x")),
            "Provider=SQLite;Password=x;");
}

}  // namespace
}  // namespace gateway
