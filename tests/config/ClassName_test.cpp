#include "config/ClassName.h"

#include <gtest/gtest.h>

#include "config/Errors.h"

namespace gateway {
namespace {

struct TSamplePool {
  virtual ~TSamplePool() = default;
};
struct TDerivedSamplePool : TSamplePool {};
template <class T>
struct TTemplated {};

TEST(ClassNameOf, GivesTheBareRunTimeClassName) {
  TDerivedSamplePool derived;
  const TSamplePool& base = derived;
  EXPECT_EQ(ClassNameOf(base), "TDerivedSamplePool");
  EXPECT_EQ(ClassNameOf(TTemplated<std::string>{}), "TTemplated");
  EXPECT_EQ(ClassNameOf(EDatabaseError("x")), "EDatabaseError");
  EXPECT_EQ(ClassNameOf(Exception("x")), "Exception");
}

}  // namespace
}  // namespace gateway
