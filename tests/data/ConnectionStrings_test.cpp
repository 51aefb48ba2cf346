// The connection-string items the wrappers read and write, and the connection
// wrapper that carries its two timeouts as items of its string.
#include "data/ConnectionStrings.h"

#include <gtest/gtest.h>

#include <string>

#include "config/Errors.h"
#include "data/KvAdoConnection.h"

namespace gateway {
namespace {

TEST(SetConnectionItem, ReplacesInPlaceOrAppends) {
  struct Case {
    const char* input;
    const char* key;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      // The trailing ";" goes, the new item comes last.
      {"Provider=P;Data Source=S;", "Connect Timeout", "20",
       "Provider=P;Data Source=S;Connect Timeout=20"},
      // A matching item keeps its place and its name as written, trimmed.
      {"Provider=P; connect timeout =5;Data Source=S", "Connect Timeout", "20",
       "Provider=P;connect timeout=20;Data Source=S"},
      {"", "Connect Timeout", "20", "Connect Timeout=20"},
      {"  ", "Connect Timeout", "20", "Connect Timeout=20"},
      // Empty items between separators stay.
      {"A=1;;B=2", "C", "3", "A=1;;B=2;C=3"},
      // Every matching item is replaced; values of other items are not trimmed.
      {"X=1;A= a ;x=2", "X", "9", "X=9;A= a ;x=9"},
      // No quoting: the ";" inside quotes ends the item.
      {"Password=\"a;b\";X=1", "X", "2", "Password=\"a;b\";X=2"},
      // An item without "=" is a name alone.
      {"Flag;A=1", "flag", "on", "Flag=on;A=1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetConnectionItem(c.input, c.key, c.value), c.expected) << c.input;
  }
}

TEST(GetConnectionItem, FirstMatchingItemWithItsValueUntrimmed) {
  EXPECT_EQ(GetConnectionItem("Provider=P; data source = S ;X=1", "Data Source"), " S ");
  EXPECT_EQ(GetConnectionItem("X=1;x=2", "X"), "1");
  EXPECT_EQ(GetConnectionItem("A=b=c", "A"), "b=c");  // split at the first "="
  EXPECT_EQ(GetConnectionItem("Provider=P", "Password"), "");
  EXPECT_EQ(GetConnectionItem("Flag;A=1", "Flag"), "");
  EXPECT_EQ(GetConnectionItem("", "A"), "");
}

TEST(ExtractConnectionItem, DropsEveryMatchAndKeepsTheLastValue) {
  std::string text = "A=1;Connect Timeout=5;B=2; connect timeout = 7";
  std::string value = "old";
  ExtractConnectionItem(text, "Connect Timeout", value);
  EXPECT_EQ(text, "A=1;B=2");
  EXPECT_EQ(value, " 7");

  text = "A=1;;B=2;";
  ExtractConnectionItem(text, "Connect Timeout", value);
  EXPECT_EQ(text, "A=1;;B=2");  // only the trailing separator goes
  EXPECT_EQ(value, "");

  text = "Connect Timeout=9";
  ExtractConnectionItem(text, "Connect Timeout", value);
  EXPECT_EQ(text, "");
  EXPECT_EQ(value, "9");
}

TEST(GetExtendedProperty, ReadsWhatTheProviderLeavesAside) {
  EXPECT_EQ(
      GetExtendedProperty("Provider=SQLite;Data Source=x.db;Command Timeout=60", "command timeout"),
      "60");
  EXPECT_EQ(GetExtendedProperty(
                "Provider=SQLite;Data Source=x.db;Extended Properties=\"Command Timeout=45\"",
                "Command Timeout"),
            "45");
  EXPECT_EQ(GetExtendedProperty("Provider=SQLite;Data Source=x.db", "Command Timeout"), "");
  // A blank string has no properties (and can therefore be assigned).
  EXPECT_EQ(GetExtendedProperty("", "Command Timeout"), "");
  EXPECT_THROW(GetExtendedProperty("Provider=Jet;Data Source=x", "Command Timeout"),
               EDatabaseError);
}

// --- TKvADOConnection ------------------------------------------------------

constexpr const char* kBase = "Provider=SQLite;Data Source=erp.db";

TEST(KvAdoConnection, ConnectTimeoutLivesOutsideTheStringAndComesBackOnReading) {
  TKvADOConnection connection;
  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=60");
  EXPECT_EQ(connection.Connection::ConnectionString(), kBase);
  EXPECT_EQ(connection.ConnectionTimeout(), 60);
  EXPECT_EQ(connection.ConnectionString(), std::string(kBase) + ";Connect Timeout=60");

  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=15");
  EXPECT_EQ(connection.ConnectionTimeout(), 15);
  EXPECT_EQ(connection.ConnectionString(), kBase);  // the default is not shown
}

TEST(KvAdoConnection, TimeoutTextsThatAreNoNumbersFallBackToTheDefaults) {
  TKvADOConnection connection;
  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=60;Command Timeout=45");
  EXPECT_EQ(connection.ConnectionTimeout(), 60);
  EXPECT_EQ(connection.CommandTimeout(), 45);

  // An empty value leaves the setting as it is.
  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=;Command Timeout=");
  EXPECT_EQ(connection.ConnectionTimeout(), 60);
  EXPECT_EQ(connection.CommandTimeout(), 45);

  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=abc;Command Timeout=1x");
  EXPECT_EQ(connection.ConnectionTimeout(), 15);
  EXPECT_EQ(connection.CommandTimeout(), 30);
}

TEST(KvAdoConnection, CommandTimeoutStaysInTheString) {
  TKvADOConnection connection;
  const std::string text = std::string(kBase) + ";Command Timeout=45";
  connection.SetConnectionString(text);
  EXPECT_EQ(connection.Connection::ConnectionString(), text);
  EXPECT_EQ(connection.CommandTimeout(), 45);

  // Writing what reading returns does nothing: the changed setting survives.
  connection.SetCommandTimeout(99);
  connection.SetConnectionString(connection.ConnectionString());
  EXPECT_EQ(connection.CommandTimeout(), 99);
}

TEST(KvAdoConnection, ATimeoutInTheMiddleIsProcessedOnEveryWrite) {
  TKvADOConnection connection;
  const std::string text = "Provider=SQLite;Connect Timeout=60;Data Source=erp.db";
  connection.SetConnectionString(text);
  EXPECT_EQ(connection.ConnectionString(), std::string(kBase) + ";Connect Timeout=60");
  // Reading moved the item to the end, so the same text is a change.
  connection.SetConnectionTimeout(20);
  connection.SetConnectionString(text);
  EXPECT_EQ(connection.ConnectionTimeout(), 60);
}

TEST(KvAdoConnection, RejectedStringsLeaveTheConnectionAsItWas) {
  TKvADOConnection connection;
  connection.SetConnectionString(std::string(kBase) + ";Connect Timeout=60");
  EXPECT_THROW(connection.SetConnectionString("Provider=Jet;Connect Timeout=5"), EDatabaseError);
  EXPECT_EQ(connection.ConnectionString(), std::string(kBase) + ";Connect Timeout=60");

  // Clearing is allowed; the timeout then stays as it was.
  connection.SetConnectionString("");
  EXPECT_EQ(connection.Connection::ConnectionString(), "");
  EXPECT_EQ(connection.ConnectionString(), "");
  EXPECT_EQ(connection.ConnectionTimeout(), 60);
}

}  // namespace
}  // namespace gateway
