#include "config/ModulePath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ConfigTestSupport.h"

namespace gateway {
namespace {

TEST(ModulePath, IsTheFileThatHoldsThisCode) {
  // Linked into the test program, the code lives in the program itself.
  const std::string path = ModulePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
  const std::string dir = ModuleDir();
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(path.compare(0, dir.size(), dir), 0);
}

TEST(ModulePath, TestSeamAndLongPaths) {
  // Long paths are returned whole.
  const std::string deep = "/" + std::string(300, 'd') + "/" + std::string(200, 'e') + "/x.so";
  {
    testing::ScopedModulePath module(deep);
    EXPECT_EQ(ModulePath(), deep);
    EXPECT_EQ(ModuleDir(), deep.substr(0, deep.size() - 4));
  }
  EXPECT_TRUE(std::filesystem::equivalent(ModulePath(), "/proc/self/exe"));
}

}  // namespace
}  // namespace gateway
