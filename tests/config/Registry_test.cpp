#include "config/Registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ConfigTestSupport.h"

namespace gateway {
namespace {

TEST(GetClientPath, ClientPathThenServerPath) {
  testing::TempFolder folder;
  const std::string file = folder.Path("registry.ini");
  testing::ScopedEnv registry("GATEWAY_REGISTRY", file);
  EXPECT_EQ(GetRegistryFile(), file);

  const struct {
    const char* content;
    const char* expected;
  } cases[] = {
      {"[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=/c\nServerPath=/s\n", "/c"},
      {"[hkey_local_machine\\software\\kvt\\velmarine]\nclientpath=\"/c d\"\n", "/c d"},
      {"[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=\nServerPath=/s\n", "/s"},
      {"[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nOther=/o\n", ""},
      {"[Software\\KVT\\Velmarine]\nClientPath=/c\n", ""},
  };
  for (const auto& c : cases) {
    testing::WriteFile(file, c.content);
    EXPECT_EQ(GetClientPath(), c.expected) << c.content;
  }
  std::filesystem::remove(file);
  EXPECT_EQ(GetClientPath(), "");
}

TEST(GetClientPath, AChangeOfTheFileIsSeenAtTheNextCall) {
  testing::TempFolder folder;
  const std::string section = "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\n";
  testing::ScopedEnv registry("GATEWAY_REGISTRY", folder.Path("a.ini"));
  testing::WriteFile(folder.Path("a.ini"), section + "ClientPath=/a\n");
  testing::WriteFile(folder.Path("b.ini"), section + "ClientPath=/b\n");
  EXPECT_EQ(GetClientPath(), "/a");
  // Rewritten at once with the same size.
  testing::WriteFile(folder.Path("a.ini"), section + "ClientPath=/c\n");
  EXPECT_EQ(GetClientPath(), "/c");
  // Another file named.
  testing::ScopedEnv other("GATEWAY_REGISTRY", folder.Path("b.ini"));
  EXPECT_EQ(GetClientPath(), "/b");
  // Replaced by a rename.
  testing::WriteFile(folder.Path("new.ini"), section + "ServerPath=/s\n");
  std::filesystem::rename(folder.Path("new.ini"), folder.Path("b.ini"));
  EXPECT_EQ(GetClientPath(), "/s");
  // A file changed long ago (as stat tells) is not read again until it changes.
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(folder.Path("b.ini"), old);
  EXPECT_EQ(GetClientPath(), "/s");
  std::filesystem::remove(folder.Path("b.ini"));
  EXPECT_EQ(GetClientPath(), "");
}

TEST(GetClientPath, DefaultFileWithoutTheVariable) {
  testing::ScopedEnv registry("GATEWAY_REGISTRY", std::nullopt);
  EXPECT_EQ(GetRegistryFile(), "/etc/gateway/registry.ini");
}

}  // namespace
}  // namespace gateway
