#include "config/GatewayPaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ConfigTestSupport.h"

namespace gateway {
namespace {

TEST(GetGatewayRoot, FollowsTheLibraryLocation) {
  const struct {
    const char* library;
    const char* root;
  } cases[] = {
      {"/gw/Bin/PurchaseOrder.so", "/gw/"},
      {"/gw/Modi/Purchase/PurchaseOrder.so", "/gw/"},
      {"/gw/modi/Purchase/PurchaseOrder.so", "/gw/"},
      {"/gw/Modi/PurchaseOrder.so", "/gw/"},
      {"/gw/Bin/../Modi/X/PurchaseOrder.so", "/gw/"},
      {"/gw/./Bin/PurchaseOrder.so", "/gw/"},
      // Any folder name ending in modi counts, but only the one holding the library folder.
      {"/gw/xmodi/X/PurchaseOrder.so", "/gw/"},
      {"/srv/modi/gw/Modi/X/PurchaseOrder.so", "/srv/modi/gw/"},
      {"/srv/Modi/gw/Bin/PurchaseOrder.so", "/srv/Modi/gw/"},
      {"/PurchaseOrder.so", "/"},
  };
  for (const auto& c : cases) {
    testing::ScopedModulePath module(c.library);
    EXPECT_EQ(GetGatewayRoot(), c.root) << c.library;
  }
  testing::ScopedModulePath module("/gw/Modi/Purchase/PurchaseOrder.so");
  EXPECT_EQ(GetGatewayConfigFile(), "/gw/GatewayConfig.ini");
  EXPECT_EQ(GetTraceLogFile(), "/gw/Modi/Purchase/Log/PurchaseOrder.Log");
}

TEST(GetObjectXmlFile, ModiFolderFirstThenObj) {
  testing::TempFolder root;
  testing::ScopedModulePath module(root.Path("Modi/Purchase/PurchaseOrder.so"));
  const std::string modi = root.Path("Modi/Obj/PURTC.xml");
  const std::string obj = root.Path("Obj/PURTC.xml");
  testing::WriteFile(modi, "<a/>");
  testing::WriteFile(obj, "<b/>");
  EXPECT_EQ(GetObjectXmlFile("PURTC"), modi);
  std::filesystem::remove(modi);
  EXPECT_EQ(GetObjectXmlFile("PURTC"), obj);
  std::filesystem::remove(obj);
  EXPECT_EQ(GetObjectXmlFile("PURTC"), "");
  // A folder of that name is not a metadata file.
  std::filesystem::create_directories(obj);
  EXPECT_EQ(GetObjectXmlFile("PURTC"), "");
}

TEST(GatewayPaths, TraceLogNameReplacesTheExtension) {
  testing::ScopedModulePath plain("/gw/Bin/gatewayhost");
  EXPECT_EQ(GetTraceLogFile(), "/gw/Bin/Log/gatewayhost.Log");
  testing::ScopedModulePath dotted("/gw/Bin/Purchase.Order.so");
  EXPECT_EQ(GetTraceLogFile(), "/gw/Bin/Log/Purchase.Order.Log");
}

TEST(GatewayPaths, HostAndTemporaryDirectories) {
  EXPECT_EQ(HostExecutableDir(),
            std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/");
  {
    testing::ScopedEnv tmpdir("TMPDIR", "/var/tmp/gw");
    EXPECT_EQ(TempDir(), "/var/tmp/gw");
  }
  {
    testing::ScopedEnv tmpdir("TMPDIR", "");
    EXPECT_EQ(TempDir(), "/tmp");
  }
  testing::ScopedEnv tmpdir("TMPDIR", std::nullopt);
  EXPECT_EQ(TempDir(), "/tmp");
}

TEST(GatewayPaths, FileHelpers) {
  testing::TempFolder folder;
  EXPECT_EQ(JoinPath("/a/", "Log"), "/a/Log");
  EXPECT_EQ(JoinPath("/a", "Log"), "/a/Log");

  const std::string dir = folder.Path("one/two/three");
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_FALSE(FileExists(dir));

  const std::string file = dir + "/f.txt";
  EXPECT_TRUE(AppendToFile(file, "a\r\n"));
  EXPECT_TRUE(AppendToFile(file, "b"));
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(testing::ReadFile(file), "a\r\nb");

  // A file where a directory should be.
  EXPECT_FALSE(ForceDirectories(file + "/sub"));
  EXPECT_FALSE(AppendToFile(file + "/sub/g.txt", "x"));
}

}  // namespace
}  // namespace gateway
