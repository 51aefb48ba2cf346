// The settings of "GatewayConfig.ini", the configuration file the whole
// gateway shares. The library acts on the connection string (Provider), the
// trace switch (KeepLog) and AutoTrunc; the other values are read and kept so
// that the object mirrors the file.
#pragma once

#include <string>

#include "config/IniFile.h"

namespace gateway {

class TGatewayConfig {
 public:
  // Every field starts false, zero or empty; the defaults below apply only to
  // keys that are missing from a file that is loaded.
  bool AutoTrunc = false;   // [Options] AutoTrunc, default true
  bool KeepLog = false;     // [Options] KeepLog, default true: the trace switch
  std::string HelpFile;     // [Options] HelpFile, default "InterfaceManagerHelp.pdf"
  std::string Provider;     // [Connection] Provider: the whole connection string
  std::string ServiceName;  // [COM Server] ServiceName, default "127.0.0.1"
  bool UseMsg = false;      // [MobileMsgSetting] ...
  std::string SN;
  std::string Baud;  // default "9600"
  std::string ConStr;
  std::string Port;  // default "COM1"
  std::string DB;
  bool DeleteSendBox = false;
  bool DeleteGetBox = false;
  int DeleteSendBoxNumType = 0;
  int DeleteGetBoxNumType = 0;
  std::string DeleteGetBoxNum;   // default "10000"
  std::string DeleteSendBoxNum;  // default "10000"
  int MaxLength = 0;             // default 140
  bool UseMail = false;          // [MailSetting] UseMail
  // The largest request the library takes, in bytes of its text and in
  // elements ([Options] MaxRequestBytes, MaxRequestElements). Unlike the
  // other fields they start at their defaults, so that the bounds hold
  // without a configuration file too; a value that is not a positive number
  // gives the default.
  int MaxRequestBytes = kDefaultMaxRequestBytes;
  int MaxRequestElements = kDefaultMaxRequestElements;

  // 10 MiB: a real request is a few kilobytes; a condition of tens of
  // thousands of items still fits many times over.
  static constexpr int kDefaultMaxRequestBytes = 10 * 1024 * 1024;
  // 200,000: about a thousand times a large real request; the parsed request
  // then stays within some tens of megabytes.
  static constexpr int kDefaultMaxRequestElements = 200000;

  // Loads the file when one exists at `path`; otherwise every field keeps its
  // value. A file that exists but cannot be read loads as one without keys.
  void LoadFromFile(const std::string& path);
  // Reads every key into its field, the default applying to a missing key.
  // Does nothing when `ini` is null.
  void LoadFromIni(const IniFile* ini);
};

// The one configuration object of the library, alive from load to unload.
TGatewayConfig& GatewayConfig();

}  // namespace gateway
