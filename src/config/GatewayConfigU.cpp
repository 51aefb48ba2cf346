#include "config/GatewayConfigU.h"

#include <filesystem>
#include <system_error>

namespace gateway {

namespace {

int PositiveOr(int value, int fallback) { return value > 0 ? value : fallback; }

}  // namespace

void TGatewayConfig::LoadFromFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) return;
  const IniFile ini(path);
  LoadFromIni(&ini);
}

void TGatewayConfig::LoadFromIni(const IniFile* ini) {
  if (ini == nullptr) return;
  AutoTrunc = ini->ReadBool("Options", "AutoTrunc", true);
  KeepLog = ini->ReadBool("Options", "KeepLog", true);
  HelpFile = ini->ReadString("Options", "HelpFile", "InterfaceManagerHelp.pdf");
  Provider = ini->ReadString("Connection", "Provider", "");
  ServiceName = ini->ReadString("COM Server", "ServiceName", "127.0.0.1");
  UseMsg = ini->ReadBool("MobileMsgSetting", "UseMsg", false);
  SN = ini->ReadString("MobileMsgSetting", "SN", "");
  Baud = ini->ReadString("MobileMsgSetting", "Baud", "9600");
  ConStr = ini->ReadString("MobileMsgSetting", "ConStr", "");
  Port = ini->ReadString("MobileMsgSetting", "Port", "COM1");
  DB = ini->ReadString("MobileMsgSetting", "DB", "");
  DeleteSendBox = ini->ReadBool("MobileMsgSetting", "DeleteSendBox", false);
  DeleteSendBoxNum = ini->ReadString("MobileMsgSetting", "DeleteSendBoxNum", "10000");
  DeleteSendBoxNumType = ini->ReadInteger("MobileMsgSetting", "DeleteSendBoxNumType", 0);
  DeleteGetBox = ini->ReadBool("MobileMsgSetting", "DeleteGetBox", false);
  DeleteGetBoxNum = ini->ReadString("MobileMsgSetting", "DeleteGetBoxNum", "10000");
  DeleteGetBoxNumType = ini->ReadInteger("MobileMsgSetting", "DeleteGetBoxNumType", 0);
  MaxLength = ini->ReadInteger("MobileMsgSetting", "MaxLength", 140);
  UseMail = ini->ReadBool("MailSetting", "UseMail", false);
  MaxRequestBytes = PositiveOr(ini->ReadInteger("Options", "MaxRequestBytes", 0),
                               kDefaultMaxRequestBytes);
  MaxRequestElements = PositiveOr(ini->ReadInteger("Options", "MaxRequestElements", 0),
                                  kDefaultMaxRequestElements);
}

TGatewayConfig& GatewayConfig() {
  static TGatewayConfig config;
  return config;
}

}  // namespace gateway
