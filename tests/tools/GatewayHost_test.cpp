// The built gatewayhost program run as a gateway operator would run it: exit
// statuses, messages, and requests run through the built module in a
// temporary gateway root.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "gateway/Version.h"
#include "gatewayhost/HostDryRun.h"
#include "tools/HostProgram.h"

namespace gateway::host {
namespace {

using gateway::testing::ReadFile;
using gateway::testing::TempFolder;
using gateway::testing::WriteFile;

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Runs that stop before any module is loaded, or because the library is none.
class GatewayHostProgram : public ::testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(GatewayHostProgram, HelpExplainsEverythingOnStandardOutput) {
  const Outcome outcome = RunHostProgram(folder_, {"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  for (const char* part :
       {"--library", "--init-file", "--operator", "--output-dir", "response-N.xml", "--encoding",
        "GB2312", "&#x88FD;", "--view", "--view-rows", "--version", "warning", "Exit status",
        "\n  3  ", "--dry-run"})
    EXPECT_NE(outcome.out.find(part), std::string::npos) << part;
  // The mark of a dry run's response, as a script would look for it.
  EXPECT_NE(outcome.out.find("\n    " + std::string(kDryRunMark) + "\n"), std::string::npos);
}

TEST_F(GatewayHostProgram, BadCommandLinePrintsUsageAndExits2) {
  const Outcome outcome = RunHostProgram(folder_, {"--library", "P.so", "a.xml", "b.xml"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err.rfind("gatewayhost: several requests need --output-dir\nusage:", 0), 0u)
      << outcome.err;
}

TEST_F(GatewayHostProgram, FailuresPrintOneLineAndExit1) {
  WriteFile(folder_.Path("request.xml"), "<Request/>");
  WriteFile(folder_.Path("bad.xml"), "<Request>\xFF</Request>");
  WriteFile(folder_.Path("NotAModule.so"), "plain text");
  // Any shared library without the two exports: the C library the tests run with.
  Dl_info libc{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&::getpid), &libc), 0);

  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--library", folder_.Path("NotAModule.so"), folder_.Path("missing.xml")},
       "gatewayhost: cannot read request '" + folder_.Path("missing.xml") +
           "': No such file or directory\n"},
      {{"--library", folder_.Path("NotAModule.so"), folder_.Path("bad.xml")},
       "gatewayhost: request '" + folder_.Path("bad.xml") +
           "': not valid UTF-8 text, the encoding of a request that declares none: byte 0xFF at "
           "offset 9 cannot be read (a GB2312 request says encoding=\"GB2312\" in its XML "
           "declaration)\n"},
      {{"--library", folder_.Path("NotAModule.so"), "--init-file", folder_.Path("none.xml"),
        folder_.Path("request.xml")},
       "gatewayhost: cannot read init file '" + folder_.Path("none.xml") +
           "': No such file or directory\n"},
      {{"--library", folder_.Path("NotAModule.so"), folder_.Path("request.xml")},
       "gatewayhost: cannot load module: "},
      {{"--library", libc.dli_fname, folder_.Path("request.xml")},
       "gatewayhost: '" + std::string(libc.dli_fname) +
           "' is not a business-object module: it does not export GetOperaters\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome outcome = RunHostProgram(folder_, c.arguments);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind(c.message, 0), 0u) << outcome.err;
    EXPECT_EQ(CountOf(outcome.err, "\n"), 1u) << outcome.err;
  }
}

TEST_F(GatewayHostProgram, VersionNamesTheHostAndTheModule) {
  const Outcome host = RunHostProgram(folder_, {"--version"});
  EXPECT_EQ(host.status, 0);
  EXPECT_EQ(host.out, std::string("gatewayhost ") + GATEWAY_VERSION + "\n");
  EXPECT_EQ(host.err, "");

  const Outcome both = RunHostProgram(folder_, {"--version", "--library", GATEWAY_MODULE_PATH});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.out, std::string("gatewayhost ") + GATEWAY_VERSION + "\nmodule " +
                          GATEWAY_MODULE_PATH + " " + GATEWAY_VERSION + "\n");

  WriteFile(folder_.Path("NotAModule.so"), "plain text");
  const Outcome none =
      RunHostProgram(folder_, {"--version", "--library", folder_.Path("NotAModule.so")});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err.rfind("gatewayhost: cannot load module: ", 0), 0u) << none.err;
}

// A temporary gateway root with the built module in Bin/, its configuration
// (whose database does not exist) and a metadata file: the module finds them
// from its own location.
class GatewayHostRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_.Path("Bin"));
    std::filesystem::copy_file(GATEWAY_MODULE_PATH, Module());
    WriteFile(folder_.Path("GatewayConfig.ini"),
              "[Options]\nKeepLog=1\n[Connection]\nProvider=Provider=SQLite;Data Source=erp.db\n");
    WriteFile(folder_.Path("Obj/PurchaseOrder.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<PurchaseOrder ID=\"PO\" Name=\"采购单\" "
              "Desc=\"Purchase orders\">\n"
              "  <HelpInfo>Selects purchase orders.</HelpInfo>\n"
              "  <PropertyList>\n"
              "    <Property ID=\"OrderNo\" Name=\"Order\" Field=\"TC002\" Type=\"C\" Size=\"11\" "
              "IsKey=\"Y\"/>\n"
              "  </PropertyList>\n"
              "</PurchaseOrder>\n");
    // The separator makes the property rows readable.
    WriteFile(folder_.Path("request.xml"), "<Request><Seperator>,</Seperator></Request>");
  }

  std::string Module() const { return folder_.Path("Bin/PurchaseOrder.so"); }

  TempFolder folder_;
};

TEST_F(GatewayHostRun, HelpWritesTheObjectDocument) {
  const Outcome outcome = RunHostProgram(
      folder_, {"--library", Module(), "--operator", "HELP", folder_.Path("request.xml")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find(
                R"(<Service><Object ID="PO" Name="采购单" Desc="Purchase orders">)"
                R"(<MemoList><Memo>Selects purchase orders.</Memo></MemoList>)"
                R"(<MethodList><GetData>Y</GetData><Help>Y</Help></MethodList>)"
                R"(<PropertyDesc>属性标识,属性名称,类型,长度,是否必输,描述信息,可否更改,起始值,)"
                R"(截止值,取值列表,默认值,字段名</PropertyDesc>)"
                R"(<Property>OrderNo,Order,C,11,N,,Y,,,,,TC002</Property></Object>)"
                R"(<Status>0</Status></Service>)"),
            std::string::npos)
      << outcome.out;

  // The same operator by index, the request from standard input, into a file.
  const Outcome by_index = RunHostProgram(
      folder_,
      {"--library", Module(), "--operator", "1", "--output", folder_.Path("help.xml"), "-"},
      folder_.Path("request.xml"));
  ASSERT_EQ(by_index.status, 0) << by_index.err;
  EXPECT_EQ(by_index.out, "");
  EXPECT_EQ(ReadFile(folder_.Path("help.xml")), outcome.out);
}

TEST_F(GatewayHostRun, Gb2312ResponseSaysSoAndHoldsGb2312Bytes) {
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--encoding", "GB2312",
                               folder_.Path("request.xml")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("encoding=\"GB2312\""), std::string::npos) << outcome.out;
  // "采购单" in GB2312.
  EXPECT_NE(outcome.out.find("Name=\"\xB2\xC9\xB9\xBA\xB5\xA5\""), std::string::npos);
  EXPECT_EQ(outcome.out.find("\xE9\x87\x87"), std::string::npos);
}

TEST_F(GatewayHostRun, CharacterGb2312CannotHoldIsWrittenAsAReference) {
  // A Hangul syllable and a traditional form (in GBK, not in GB2312) in the
  // object's name reach the Help response; the response is still written,
  // since a GetData response has already marked its orders.
  WriteFile(
      folder_.Path("Obj/PurchaseOrder.xml"),
      "<PurchaseOrder ID=\"PO\" Name=\"\xED\x95\x9C\xE8\xA3\xBD\"><PropertyList/></PurchaseOrder>");
  const Outcome outcome = RunHostProgram(
      folder_, {"--library", Module(), "--operator", "Help", "--encoding", "GB2312", "--output",
                folder_.Path("response.xml"), folder_.Path("request.xml")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(ReadFile(folder_.Path("response.xml")).find("Name=\"&#xD55C;&#x88FD;\""),
            std::string::npos);
}

TEST_F(GatewayHostRun, SeveralRequestsRunInOrderThroughOneOperator) {
  WriteFile(folder_.Path("second.xml"), "<Request/>");
  const Outcome outcome = RunHostProgram(
      folder_, {"--library", Module(), "--operator", "help", "--output-dir",
                folder_.Path("out/new"), folder_.Path("request.xml"), folder_.Path("second.xml")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  const std::string first = ReadFile(folder_.Path("out/new/response-1.xml"));
  const std::string second = ReadFile(folder_.Path("out/new/response-2.xml"));
  // The same operator keeps its output pool: each "Help" run adds one more Object.
  EXPECT_EQ(CountOf(first, "<Object "), 1u) << first;
  EXPECT_EQ(CountOf(second, "<Object "), 2u) << second;
  EXPECT_FALSE(std::filesystem::exists(folder_.Path("out/new/response-3.xml")));
}

TEST_F(GatewayHostRun, OperatorFailureIsWrittenAndExits3WithItsError) {
  // GetData, the default operator, finds no tables in this root's database:
  // its failure is reported in the response, which is written, and the exit
  // status and standard error say so, so that a script can tell.
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  const size_t error_at = outcome.out.find("<Error>");
  ASSERT_NE(error_at, std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("<Status>-1</Status>"), std::string::npos) << outcome.out;
  const std::string error =
      outcome.out.substr(error_at + 7, outcome.out.find("</Error>") - error_at - 7);
  std::string one_line = error;
  for (char& c : one_line)
    if (c == '\n' || c == '\r') c = ' ';
  EXPECT_EQ(outcome.err, "gatewayhost: request '" + folder_.Path("request.xml") +
                             "': Status -1: " + one_line + "\n");

  // Into a folder: every response is written and each failure is named.
  const Outcome two =
      RunHostProgram(folder_, {"--library", Module(), "--output-dir", folder_.Path("out"),
                               folder_.Path("request.xml"), folder_.Path("request.xml")});
  EXPECT_EQ(two.status, 3);
  EXPECT_EQ(CountOf(two.err, "Status -1: "), 2u) << two.err;
  EXPECT_TRUE(std::filesystem::exists(folder_.Path("out/response-2.xml")));
}

TEST_F(GatewayHostRun, TheViewShowsTheResponseAndTheXmlStaysAsItWas) {
  const Outcome plain =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--output",
                               folder_.Path("plain.xml"), folder_.Path("request.xml")});
  ASSERT_EQ(plain.status, 0) << plain.err;
  const Outcome viewed =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--output",
                               folder_.Path("viewed.xml"), "--view", folder_.Path("request.xml")});
  ASSERT_EQ(viewed.status, 0) << viewed.err;
  EXPECT_EQ(viewed.err, "");
  EXPECT_EQ(ReadFile(folder_.Path("viewed.xml")), ReadFile(folder_.Path("plain.xml")));
  EXPECT_EQ(
      viewed.out,
      "Object:   PO\n"
      "Name:     采购单\n"
      "Desc:     Purchase orders\n"
      "Memos:    Selects purchase orders.\n"
      "Methods:  GetData, Help\n"
      "Properties (1 property):\n"
      "属性标识  属性名称  类型  长度  是否必输  描述信息  可否更改  起始值  截止值  取值列表  "
      "默认值  字段名\n"
      "--------  --------  ----  ----  --------  --------  --------  ------  ------  --------  "
      "------  ------\n"
      "OrderNo   Order     C     11    N                   Y                                   "
      "        TC002\n"
      "Status:   0\n");

  // Several requests: each view under a heading; a failed one says so there too.
  const Outcome several = RunHostProgram(
      folder_, {"--library", Module(), "--output-dir", folder_.Path("out"), "--view-rows", "0",
                folder_.Path("request.xml"), folder_.Path("request.xml")});
  EXPECT_EQ(several.status, 3);
  const std::string heading = "== request '" + folder_.Path("request.xml") + "', written to '" +
                              folder_.Path("out/response-");
  EXPECT_EQ(CountOf(several.out, heading), 2u) << several.out;
  EXPECT_EQ(CountOf(several.out, "Status:   -1\n"), 2u) << several.out;
}

TEST_F(GatewayHostRun, DryRunRefusesAnOperatorWithoutTheConfirmStep) {
  // Help offers no confirm step: the host could not keep such an operator
  // from handing over, so nothing runs and nothing is written.
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--dry-run", "--output",
                               folder_.Path("help.xml"), folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err,
            "gatewayhost: --dry-run: the operator Help offers no confirm step (IHandOver) through "
            "which its hand-over could be abandoned, so no request was run; run it without "
            "--dry-run\n");
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
    EXPECT_NE(entry.path().filename().string().rfind("help.xml", 0), 0u) << entry.path();
}

TEST_F(GatewayHostRun, DryRunKeepsTheExitStatusOfAFailedResponse) {
  // GetData fails in this root (its database has no tables): the response
  // is a dry run's all the same, and the exit status still says it failed.
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), "--dry-run", folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  EXPECT_NE(outcome.out.find("<Status>-1</Status></Service>\n" + std::string(kDryRunMark) + "\n"),
            std::string::npos)
      << outcome.out;
  const std::string request = "gatewayhost: request '" + folder_.Path("request.xml") + "': ";
  EXPECT_EQ(outcome.err.rfind(
                request + "dry run: nothing was handed over\n" + request + "Status -1: ", 0),
            0u)
      << outcome.err;
}

TEST_F(GatewayHostRun, MisspelledRequestElementsAreWarnedAbout) {
  WriteFile(folder_.Path("spelled.xml"),
            "<Request><Separator>,</Separator><condition/><Seperator>,</Seperator></Request>");
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--output",
                               folder_.Path("spelled-response.xml"), folder_.Path("spelled.xml")});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err,
            "gatewayhost: warning: the request element <Separator> is not read: the separator "
            "element is spelled <Seperator>\n"
            "gatewayhost: warning: the request element <condition> is not read as <Condition>: "
            "element names are matched exactly, letter case included\n");
  // The trace has them too (read now: the next run starts a new trace).
  EXPECT_NE(ReadFile(folder_.Path("Bin/Log/PurchaseOrder.Log"))
                .find("[Prop  ] = Warning \r\n[Value ] = the request element <Separator>"),
            std::string::npos);
  // The request means what it meant: the same response as without them.
  RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--output",
                           folder_.Path("plain-response.xml"), folder_.Path("request.xml")});
  EXPECT_EQ(ReadFile(folder_.Path("spelled-response.xml")),
            ReadFile(folder_.Path("plain-response.xml")));
}

// The module where a newcomer first tries it: in the build folder, with no
// configuration and no metadata beside it.
TEST_F(GatewayHostProgram, MissingConfigurationAndMetadataAreNamed) {
  const std::string module = folder_.Path("build/PurchaseOrder.so");
  std::filesystem::create_directories(folder_.Path("build"));
  std::filesystem::copy_file(GATEWAY_MODULE_PATH, module);
  WriteFile(folder_.Path("request.xml"), "<Request><Seperator>,</Seperator></Request>");
  const std::string root = folder_.Path() + "/";
  const std::string derived =
      "the gateway root " + root + " (derived from the module " + module + ")";

  const Outcome help = RunHostProgram(
      folder_, {"--library", module, "--operator", "Help", folder_.Path("request.xml")});
  EXPECT_EQ(help.status, 0);
  // Help keeps its answer: an object without metadata.
  EXPECT_NE(help.out.find("<Object ID=\"\" Name=\"\" Desc=\"\">"), std::string::npos) << help.out;
  EXPECT_EQ(help.err,
            "gatewayhost: warning: no configuration: GatewayConfig.ini is not in " + derived +
                ", so no database connection is configured and tracing is off\n"
                "gatewayhost: warning: no metadata for PurchaseOrder in " +
                derived + ": looked for " + root + "Modi/Obj/PurchaseOrder.xml and " + root +
                "Obj/PurchaseOrder.xml; the object has no properties and Help "
                "describes it empty\n");

  const Outcome get_data =
      RunHostProgram(folder_, {"--library", module, folder_.Path("request.xml")});
  EXPECT_EQ(get_data.status, 3);
  EXPECT_NE(get_data.err.find("gatewayhost: request '" + folder_.Path("request.xml") +
                              "': Status -1: No database connection is configured: "
                              "GatewayConfig.ini is not in " +
                              derived + "\n"),
            std::string::npos)
      << get_data.err;
}

TEST_F(GatewayHostRun, ModuleFailureInInitializeReachesTheHost) {
  // A factory makes the business object look up its company database, which
  // this root does not configure.
  const Outcome outcome = RunHostProgram(
      folder_, {"--library", Module(), "--init", "<P><Factory>01</Factory></P>", "--output",
                folder_.Path("response.xml"), folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err.rfind("gatewayhost: Initialize: ", 0), 0u) << outcome.err;
  EXPECT_EQ(CountOf(outcome.err, "\n"), 1u) << outcome.err;
  EXPECT_FALSE(std::filesystem::exists(folder_.Path("response.xml")));
}

TEST_F(GatewayHostRun, UnknownOperatorNamesTheOperatorsThereAre) {
  const Outcome outcome = RunHostProgram(
      folder_, {"--library", Module(), "--operator", "SetData", folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "gatewayhost: the business object has no operator named 'SetData' (operators: 0 "
            "GetData, 1 Help)\n");
  const Outcome by_index = RunHostProgram(
      folder_, {"--library", Module(), "--operator", "2", folder_.Path("request.xml")});
  EXPECT_EQ(by_index.status, 1);
  EXPECT_NE(by_index.err.find("no operator index 2"), std::string::npos) << by_index.err;
}

TEST_F(GatewayHostRun, UnwritableOutputIsAClearFailure) {
  // The output is a folder: it cannot be opened for writing.
  std::filesystem::create_directories(folder_.Path("taken"));
  const Outcome outcome =
      RunHostProgram(folder_, {"--library", Module(), "--operator", "Help", "--output",
                               folder_.Path("taken"), folder_.Path("request.xml")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err.rfind("gatewayhost: cannot write '" + folder_.Path("taken") + "': ", 0), 0u)
      << outcome.err;
}

}  // namespace
}  // namespace gateway::host
