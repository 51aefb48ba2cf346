// The gatewayhost command line: what runs, and what is refused with a reason.
#include "gatewayhost/HostOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gateway::host {
namespace {

using Arguments = std::vector<std::string>;

HostOptions Options(const std::string& library, std::vector<std::string> requests) {
  HostOptions options;
  options.library = library;
  options.requests = std::move(requests);
  return options;
}

TEST(GatewayHostOptions, AcceptsGoodCommandLines) {
  struct Case {
    Arguments arguments;
    HostOptions expected;
  };
  std::vector<Case> cases;
  cases.push_back({{"--library", "R/Bin/P.so", "req.xml"}, Options("R/Bin/P.so", {"req.xml"})});
  cases.push_back({{"req.xml", "--library=P.so"}, Options("P.so", {"req.xml"})});
  cases.push_back({{"--library", "P.so", "-"}, Options("P.so", {"-"})});
  {
    HostOptions o = Options("P.so", {"a.xml"});
    o.operater.name = "help";
    o.init_text = "<P><Factory>01</Factory></P>";
    cases.push_back({{"--library", "P.so", "--operator", "help", "--init",
                      "<P><Factory>01</Factory></P>", "a.xml"},
                     o});
  }
  {
    HostOptions o = Options("P.so", {"a.xml"});
    o.init_text = "";
    cases.push_back({{"--library", "P.so", "--init", "", "a.xml"}, o});
  }
  {
    HostOptions o = Options("P.so", {"a.xml", "b.xml", "-"});
    o.operater = OperaterChoice{"", 1};
    o.output_dir = "out";
    o.init_file = "params.xml";
    o.encoding = ResponseEncoding::kGb2312;
    cases.push_back({{"--library", "P.so", "--operator=1", "--output-dir", "out", "--init-file",
                      "params.xml", "--encoding", "gb2312", "a.xml", "b.xml", "-"},
                     o});
  }
  {
    HostOptions o = Options("P.so", {"a.xml"});
    o.output = "resp.xml";
    o.encoding = ResponseEncoding::kUtf8;
    cases.push_back(
        {{"--library", "P.so", "--output", "resp.xml", "--encoding=UTF-8", "a.xml"}, o});
  }
  {
    // "--" makes the following arguments requests, even when they look like options.
    HostOptions o = Options("P.so", {"--odd.xml"});
    cases.push_back({{"--library", "P.so", "--", "--odd.xml"}, o});
  }
  {
    // A name that only starts with digits is a name.
    HostOptions o = Options("P.so", {"a.xml"});
    o.operater.name = "1st";
    cases.push_back({{"--library", "P.so", "--operator", "1st", "a.xml"}, o});
  }
  {
    // One request may still go to an output folder (response-1.xml).
    HostOptions o = Options("P.so", {"a.xml"});
    o.output_dir = "out";
    cases.push_back({{"--library", "P.so", "--output-dir", "out", "a.xml"}, o});
  }

  {
    // The view needs the XML to go to a file.
    HostOptions o = Options("P.so", {"a.xml"});
    o.output = "resp.xml";
    o.view = true;
    cases.push_back({{"--library", "P.so", "--view", "--output", "resp.xml", "a.xml"}, o});
    o.view_rows = 10;
    cases.push_back({{"--library", "P.so", "--view-rows=10", "--output", "resp.xml", "a.xml"}, o});
    o.view_rows = 0;
    cases.push_back(
        {{"--view", "--view-rows", "0", "--library", "P.so", "--output", "resp.xml", "a.xml"}, o});
  }
  {
    // A dry run writes wherever a run writes, standard output included.
    HostOptions o = Options("P.so", {"a.xml"});
    o.dry_run = true;
    cases.push_back({{"--dry-run", "--library", "P.so", "a.xml"}, o});
    o.requests = {"a.xml", "b.xml"};
    o.output_dir = "out";
    o.view = true;
    cases.push_back(
        {{"--library", "P.so", "--output-dir", "out", "--view", "--dry-run", "a.xml", "b.xml"}, o});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const CommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.options, c.expected);
  }
}

TEST(GatewayHostOptions, DefaultsToGetDataUtf8AndNoParameters) {
  const HostOptions options = ParseCommandLine({"--library", "P.so", "a.xml"}).options;
  EXPECT_EQ(options.operater.name, "GetData");
  EXPECT_FALSE(options.operater.index);
  EXPECT_EQ(options.encoding, ResponseEncoding::kUtf8);
  EXPECT_FALSE(options.init_text);
  EXPECT_FALSE(options.init_file);
  EXPECT_TRUE(options.output.empty());
  EXPECT_TRUE(options.output_dir.empty());
  EXPECT_FALSE(options.dry_run);
}

TEST(GatewayHostOptions, VersionTakesAtMostTheLibrary) {
  const CommandLine alone = ParseCommandLine({"--version"});
  EXPECT_TRUE(alone.version);
  EXPECT_EQ(alone.options.library, "");
  const CommandLine with_module = ParseCommandLine({"--library", "R/Bin/P.so", "--version"});
  EXPECT_TRUE(with_module.version);
  EXPECT_EQ(with_module.options.library, "R/Bin/P.so");
  EXPECT_FALSE(ParseCommandLine({"--library", "P.so", "a.xml"}).version);
}

TEST(GatewayHostOptions, HelpWinsOverAnIncompleteCommandLine) {
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
  EXPECT_TRUE(ParseCommandLine({"--library", "P.so", "--help"}).help);
}

TEST(GatewayHostOptions, RefusesBadCommandLinesWithTheReason) {
  struct Case {
    Arguments arguments;
    std::string reason;
  };
  const Case cases[] = {
      {{}, "--library is required"},
      {{"a.xml"}, "--library is required"},
      {{"--library", "P.so"}, "no REQUEST"},
      {{"--library"}, "--library needs a value"},
      {{"--library", "P.so", "a.xml", "--operator"}, "--operator needs a value"},
      {{"--library", "", "a.xml"}, "non-empty"},
      {{"--library=", "a.xml"}, "non-empty"},
      {{"--library", "P.so", "--operator", "", "a.xml"}, "non-empty"},
      {{"--library", "P.so", "--library", "Q.so", "a.xml"}, "more than once"},
      {{"--library", "P.so", "--frobnicate", "a.xml"}, "unknown option --frobnicate"},
      {{"--library", "P.so", "-x", "a.xml"}, "unknown option -x"},
      {{"--library", "P.so", "--init", "x", "--init-file", "f", "a.xml"}, "exclude each other"},
      {{"--library", "P.so", "--output", "o", "--output-dir", "d", "a.xml"}, "exclude each other"},
      {{"--library", "P.so", "a.xml", "b.xml"}, "several requests need --output-dir"},
      {{"--library", "P.so", "--output", "o", "a.xml", "b.xml"}, "several requests"},
      {{"--library", "P.so", "--output-dir", "d", "-", "-"}, "standard input"},
      {{"--library", "P.so", "--init-file", "-", "-"}, "standard input"},
      {{"--library", "P.so", "--encoding", "latin1", "a.xml"}, "unknown encoding 'latin1'"},
      {{"--library", "P.so", "--operator", "99999999999", "a.xml"}, "too large"},
      {{"--library", "P.so", "--view", "a.xml"}, "--view prints on standard output"},
      {{"--library", "P.so", "--view-rows", "5", "a.xml"}, "--view prints on standard output"},
      {{"--library", "P.so", "--output", "o", "--view-rows", "-1", "a.xml"},
       "whole number of rows, not '-1'"},
      {{"--library", "P.so", "--output", "o", "--view-rows", "ten", "a.xml"}, "not 'ten'"},
      {{"--library", "P.so", "--output", "o", "--view-rows", "99999999999999999999999", "a.xml"},
       "whole number"},
      {{"--version", "a.xml"}, "--version takes no option but --library"},
      {{"--version", "--operator", "Help"}, "--version takes no option but --library"},
      {{"--version", "--dry-run"}, "--version takes no option but --library"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    try {
      ParseCommandLine(c.arguments);
      ADD_FAILURE() << "accepted";
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace gateway::host
