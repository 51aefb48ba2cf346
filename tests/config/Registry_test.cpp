#include "config/Registry.h"

#include <gtest/gtest.h>

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

TEST(GetClientPath, DefaultFileWithoutTheVariable) {
  testing::ScopedEnv registry("GATEWAY_REGISTRY", std::nullopt);
  EXPECT_EQ(GetRegistryFile(), "/etc/gateway/registry.ini");
}

}  // namespace
}  // namespace gateway
