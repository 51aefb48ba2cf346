// cmake --install of this build tree to a temporary prefix, and a stranger's
// first steps from there: the versions, Help and GetData through a copy of the
// sample gateway root, and a host compiled against the installed header.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigTestSupport.h"
#include "config/GatewayConfigU.h"
#include "gateway/Version.h"
#include "tools/HostProgram.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::RunProgram;

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome installed =
        RunProgram(work_, "cmake", {"--install", GATEWAY_TEST_BINARY_DIR, "--prefix", Prefix()});
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
  }

  std::string Prefix(const std::string& relative = "") const { return prefix_.Path(relative); }
  std::string Share(const std::string& relative) const {
    return Prefix("share/purchase-order-gateway/" + relative);
  }

  testing::TempFolder prefix_;
  testing::TempFolder work_;
};

TEST_F(InstallTest, LaysOutTheProgramsTheHeaderAndASampleRoot) {
  for (const char* file :
       {"bin/gatewayhost", "bin/gatewaypassword", "include/gateway/IBusiness.h",
        "include/gateway/IOperater.h", "include/gateway/IPool.h", "include/gateway/Interface.h",
        "include/gateway/Exception.h", "include/gateway/Version.h",
        "share/purchase-order-gateway/root/GatewayConfig.ini",
        "share/purchase-order-gateway/root/registry.ini",
        "share/purchase-order-gateway/root/Obj/PurchaseOrder.xml",
        "share/purchase-order-gateway/root/erp.db",
        "share/purchase-order-gateway/requests/getdata.xml",
        "share/purchase-order-gateway/requests/help.xml"}) {
    EXPECT_TRUE(fs::is_regular_file(Prefix(file))) << file;
  }
  // The sample root's module is a link to the installed module.
  const fs::path link = Share("root/Bin/PurchaseOrder.so");
  ASSERT_TRUE(fs::is_symlink(link));
  const fs::path module = fs::read_symlink(link);
  EXPECT_TRUE(module.is_absolute()) << module;
  EXPECT_EQ(module.string().rfind(Prefix("lib"), 0), 0u) << module;
  EXPECT_EQ(module.filename(), "PurchaseOrder.so");
  EXPECT_TRUE(fs::is_regular_file(module)) << module;

  // The commented sample configuration reads as the sample root needs.
  TGatewayConfig config;
  config.LoadFromFile(Share("root/GatewayConfig.ini"));
  EXPECT_EQ(config.Provider, "Provider=SQLite;Data Source=erp.db");
  EXPECT_TRUE(config.KeepLog);
  EXPECT_TRUE(config.AutoTrunc);
}

TEST_F(InstallTest, RunsFromACopyOfTheSampleRoot) {
  // Copied as a person would (cp -r): the link to the module stays a link.
  const std::string root = work_.Path("gw");
  fs::copy(Share("root"), root, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  testing::WriteFile(root + "/registry.ini",
                     "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" + root + "\n");
  testing::ScopedEnv registry("GATEWAY_REGISTRY", root + "/registry.ini");
  const std::string host = Prefix("bin/gatewayhost");
  const std::string module = root + "/Bin/PurchaseOrder.so";

  const Outcome version = RunProgram(work_, host, {"--version", "--library", module});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, std::string("gatewayhost ") + GATEWAY_VERSION + "\nmodule " + module +
                             " " + GATEWAY_VERSION + "\n");

  const Outcome help =
      RunProgram(work_, host,
                 {"--library", module, "--operator", "Help", "--output", work_.Path("help.xml"),
                  "--view-rows", "3", Share("requests/help.xml")});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.err, "");
  EXPECT_NE(help.out.find("Name:     采购单\n"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("Status:   0\n"), std::string::npos) << help.out;

  const Outcome get_data = RunProgram(work_, host,
                                      {"--library", module, "--output", work_.Path("first.xml"),
                                       "--view-rows", "3", Share("requests/getdata.xml")});
  EXPECT_EQ(get_data.status, 0) << get_data.err;
  EXPECT_EQ(get_data.out.rfind("DataSet (", 0), 0u) << get_data.out;
  EXPECT_NE(get_data.out.find("Status:   0\n"), std::string::npos) << get_data.out;
  // Logs went into the copy, where the registry file points.
  EXPECT_TRUE(fs::is_directory(root + "/Log")) << get_data.err;
  EXPECT_TRUE(fs::is_regular_file(root + "/Bin/Log/PurchaseOrder.Log"));
}

TEST_F(InstallTest, AHostCompilesAgainstTheInstalledHeaderAlone) {
  testing::WriteFile(work_.Path("host.cpp"),
                     "#include <gateway/IBusiness.h>\n"
                     "#include <gateway/Version.h>\n"
                     "static_assert(sizeof(GATEWAY_VERSION) > 1);\n"
                     "GetOperatersFunction get = nullptr;\n"
                     "SetWarningHandlerFunction set = nullptr;\n"
                     "int main() { return get == nullptr && set == nullptr ? 0 : 1; }\n");
  const Outcome compiled =
      RunProgram(work_, "c++",
                 {"-std=c++20", "-fsyntax-only", "-I", Prefix("include"), work_.Path("host.cpp")});
  EXPECT_EQ(compiled.status, 0) << compiled.err;
}

}  // namespace
}  // namespace gateway
