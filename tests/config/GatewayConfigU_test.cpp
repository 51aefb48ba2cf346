#include "config/GatewayConfigU.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ConfigTestSupport.h"

namespace gateway {
namespace {

TEST(TGatewayConfig, StartsEmptyAndReadsEveryKey) {
  TGatewayConfig config;
  EXPECT_FALSE(config.AutoTrunc);
  EXPECT_FALSE(config.KeepLog);
  EXPECT_EQ(config.HelpFile, "");
  EXPECT_EQ(config.MaxLength, 0);

  const IniFile ini = IniFile::FromBytes(
      "[options]\nautotrunc=0\nKeepLog=0x1\nHelpFile=Help.pdf\n"
      "[Connection]\nProvider=Provider=SQLite;Data Source=erp.db;Password=3A2F\n"
      "[COM Server]\nServiceName=10.0.0.7\n"
      "[MobileMsgSetting]\nUseMsg=1\nSN=S1\nBaud=115200\nConStr=c\nPort=COM3\nDB=msg\n"
      "DeleteSendBox=1\nDeleteGetBox=$1\nDeleteSendBoxNumType=2\nDeleteGetBoxNumType=3\n"
      "DeleteGetBoxNum=5\nDeleteSendBoxNum=6\nMaxLength=70\n"
      "[MailSetting]\nUseMail=-1\n");
  config.LoadFromIni(&ini);
  EXPECT_FALSE(config.AutoTrunc);
  EXPECT_TRUE(config.KeepLog);
  EXPECT_EQ(config.HelpFile, "Help.pdf");
  EXPECT_EQ(config.Provider, "Provider=SQLite;Data Source=erp.db;Password=3A2F");
  EXPECT_EQ(config.ServiceName, "10.0.0.7");
  EXPECT_TRUE(config.UseMsg);
  EXPECT_EQ(config.SN, "S1");
  EXPECT_EQ(config.Baud, "115200");
  EXPECT_EQ(config.ConStr, "c");
  EXPECT_EQ(config.Port, "COM3");
  EXPECT_EQ(config.DB, "msg");
  EXPECT_TRUE(config.DeleteSendBox);
  EXPECT_TRUE(config.DeleteGetBox);
  EXPECT_EQ(config.DeleteSendBoxNumType, 2);
  EXPECT_EQ(config.DeleteGetBoxNumType, 3);
  EXPECT_EQ(config.DeleteGetBoxNum, "5");
  EXPECT_EQ(config.DeleteSendBoxNum, "6");
  EXPECT_EQ(config.MaxLength, 70);
  EXPECT_TRUE(config.UseMail);

  config.LoadFromIni(nullptr);  // nothing to read: nothing changes
  EXPECT_EQ(config.MaxLength, 70);
}

TEST(TGatewayConfig, MissingKeysTakeTheirDefaults) {
  TGatewayConfig config;
  config.UseMail = true;
  config.Provider = "old";
  const IniFile ini = IniFile::FromBytes("[Options]\n");
  config.LoadFromIni(&ini);
  EXPECT_TRUE(config.AutoTrunc);
  EXPECT_TRUE(config.KeepLog);
  EXPECT_EQ(config.HelpFile, "InterfaceManagerHelp.pdf");
  EXPECT_EQ(config.Provider, "");
  EXPECT_EQ(config.ServiceName, "127.0.0.1");
  EXPECT_FALSE(config.UseMsg);
  EXPECT_EQ(config.Baud, "9600");
  EXPECT_EQ(config.Port, "COM1");
  EXPECT_EQ(config.DeleteGetBoxNum, "10000");
  EXPECT_EQ(config.DeleteSendBoxNum, "10000");
  EXPECT_EQ(config.DeleteSendBoxNumType, 0);
  EXPECT_EQ(config.MaxLength, 140);
  EXPECT_FALSE(config.UseMail);
}

TEST(TGatewayConfig, KeepLogIsReadAsANumber) {
  const struct {
    const char* text;
    bool expected;
  } cases[] = {{"0", false}, {"1", true}, {"yes", true}, {"no", true}, {"False", true}};
  for (const auto& c : cases) {
    TGatewayConfig config;
    const IniFile ini = IniFile::FromBytes(std::string("[Options]\nKeepLog=") + c.text + "\n");
    config.LoadFromIni(&ini);
    EXPECT_EQ(config.KeepLog, c.expected) << c.text;
  }
}

TEST(TGatewayConfig, LoadFromFileKeepsValuesWithoutAFile) {
  testing::TempFolder folder;
  const std::string path = folder.Path("GatewayConfig.ini");
  TGatewayConfig config;

  config.LoadFromFile(path);  // no file yet: the empty values stay, not the defaults
  EXPECT_FALSE(config.KeepLog);
  EXPECT_EQ(config.HelpFile, "");

  testing::WriteFile(path, "[Options]\nKeepLog=1\n[Connection]\nProvider=P1\n");
  config.LoadFromFile(path);
  EXPECT_TRUE(config.KeepLog);
  EXPECT_EQ(config.Provider, "P1");

  std::filesystem::remove(path);
  config.LoadFromFile(path);
  EXPECT_TRUE(config.KeepLog);
  EXPECT_EQ(config.Provider, "P1");

  // A directory in the file's place is not a configuration file either.
  std::filesystem::create_directory(path);
  config.LoadFromFile(path);
  EXPECT_EQ(config.Provider, "P1");
}

}  // namespace
}  // namespace gateway
