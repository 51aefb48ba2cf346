// Connection strings: their items, the provider's extended properties, the
// ODBC string each provider leads to, and the errors of strings that lead
// nowhere.
#include "data/Connection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/Errors.h"
#include "data/ConnectionItems.h"
#include "data/KvAdoConnection.h"
#include "data/Query.h"
#include "data/DataTestSupport.h"

namespace gateway {
namespace {

using testing_data::RunSqlite;
using testing_data::TempFolder;

std::string Failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const EDatabaseError& error) {
    return error.Message();
  }
  ADD_FAILURE() << "no EDatabaseError";
  return {};
}

TEST(ConnectionItems, SplitWithTheQuotingOfBothStyles) {
  const auto items = SplitConnectionItems(
      " Provider = SQLOLEDB ;Password=\"a;b\"\"c\";Driver={ODBC {x}} Driver};;Empty=;Flag;"
      "Extended Properties='Command Timeout=60;X=1'");
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].Name, "Provider");
  EXPECT_EQ(items[0].Value, "SQLOLEDB");
  EXPECT_EQ(items[1].Value, "a;b\"c");
  EXPECT_EQ(items[2].Value, "ODBC {x} Driver");
  EXPECT_EQ(items[3].Value, "");
  EXPECT_EQ(items[4].Name, "Flag");
  EXPECT_EQ(FindConnectionItem(items, "extended properties"), "Command Timeout=60;X=1");
  EXPECT_EQ(JoinOdbcItems({{"Driver", "ODBC {x} Driver"}, {"PWD", "a;b"}, {"UID", "sa"}}),
            "Driver={ODBC {x}} Driver};PWD={a;b};UID=sa");
}

TEST(ConnectionItems, MaskingHidesEveryPasswordAndKeepsEverythingElseAsWritten) {
  struct Case {
    const char* text;
    const char* masked;
  };
  const Case cases[] = {
      {"Provider=SQLOLEDB;Password=secret;pwd=s2;User ID=sa",
       "Provider=SQLOLEDB;Password=***;pwd=***;User ID=sa"},
      // Blanks, letter case, the order and a trailing ";" stay as stored.
      {" Provider = SQLOLEDB.1 ;Data Source=srv,1433; PASSWORD = B0986C ;User ID=sa;",
       " Provider = SQLOLEDB.1 ;Data Source=srv,1433; PASSWORD =***;User ID=sa;"},
      // Quoted values end where the drivers end them, not at the first ";".
      {"Password=\"a;b\"\"c\";X=1", "Password=***;X=1"},
      {"Server=s;PwD={x;y}}z};UID=u", "Server=s;PwD=***;UID=u"},
      {"Server=s;Password=\"never closed;UID=u", "Server=s;Password=***"},
      // Whether there is a password at all is not told either.
      {"Password=;UID=u", "Password=***;UID=u"},
      {"Jet OLEDB:Database Password=j;Data Source=a.mdb",
       "Jet OLEDB:Database Password=***;Data Source=a.mdb"},
      // The items an ODBC provider hands on inside a quoted value.
      {"Provider=MSDASQL;Extended Properties=\"DSN=erp;UID=u;PWD=p1\";Connect Timeout=5",
       "Provider=MSDASQL;Extended Properties=\"DSN=erp;UID=u;PWD=***\";Connect Timeout=5"},
      {"Extended Properties='Command Timeout=60;X=1' ;Y=2",
       "Extended Properties='Command Timeout=60;X=1' ;Y=2"},
      // Nothing to hide: the text comes back unchanged.
      {"Provider=SQLite;Data Source=a.db;;Flag;Empty=",
       "Provider=SQLite;Data Source=a.db;;Flag;Empty="},
      {"Password;Passwords=x;UID=pwd", "Password;Passwords=x;UID=pwd"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MaskConnectionString(c.text), c.masked) << c.text;
}

TEST(ConnectionStrings, ExtendedPropertiesHoldWhatTheProviderDoesNotTake) {
  EXPECT_EQ(ExtendedPropertiesOf("Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=ERP;"
                                 "User ID=sa;Password=pw;Connect Timeout=20;Command Timeout=60"),
            "Command Timeout=60");
  EXPECT_EQ(ExtendedPropertiesOf("Provider=SQLite;Data Source=erp.db;Extended Properties=\""
                                 "Command Timeout=45;X=1\""),
            "Command Timeout=45;X=1");
  EXPECT_EQ(ExtendedPropertiesOf("Provider=MSDASQL;DSN=erp;UID=u;Command Timeout=9"),
            "DSN=erp;UID=u;Command Timeout=9");  // the ODBC string, as an ODBC provider keeps it
  EXPECT_EQ(ExtendedPropertiesOf("Provider=SQLite;Data Source=erp.db"), "");
}

TEST(ConnectionStrings, EachProviderLeadsToItsOdbcString) {
  struct Case {
    const char* ado;
    const char* odbc;
  };
  const Case cases[] = {
      {"Provider=SQLOLEDB.1;Persist Security Info=True;Data Source=srv,1433;Initial Catalog=ERP;"
       "User ID=sa;Password=\"p;w\";Packet Size=4096;Command Timeout=60",
       "Driver=FreeTDS;Server=srv;Port=1433;Database=ERP;UID=sa;PWD={p;w};ClientCharset=UTF-8"},
      {"Provider=MSOLEDBSQL;Driver={ODBC Driver 18 for SQL Server};Data Source=srv\\inst;"
       "Integrated Security=SSPI;Encrypt=yes",
       "Driver=ODBC Driver 18 for SQL Server;Server=srv\\inst;Trusted_Connection=yes;Encrypt=yes"},
      {"Provider=SQLNCLI11;Data Source=srv;Initial Catalog=ERP;Application Name=gw",
       "Driver=FreeTDS;Server=srv;Database=ERP;APP=gw;ClientCharset=UTF-8"},
      {"Provider=MSDASQL.1;DSN=erp;UID=u;PWD=p;Connect Timeout=5;Command Timeout=9",
       "DSN=erp;UID=u;PWD=p"},
      {"Driver={SQLite3};Database=/data/a.db", "Driver=SQLite3;Database=/data/a.db"},
      {"Provider=MSDASQL;Extended Properties=\"DSN=erp;UID=u\"", "DSN=erp;UID=u"},
      {"Provider=SQLite;Data Source=a.db", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(OdbcConnectionStringOf(c.ado), c.odbc) << c.ado;
}

TEST(ConnectionStrings, StringsThatLeadNowhereAreRefusedClearly) {
  EXPECT_NE(Failure([] { ExtendedPropertiesOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x"); })
                .find("'Microsoft.Jet.OLEDB.4.0' is not supported"),
            std::string::npos);
  EXPECT_NE(Failure([] { ExtendedPropertiesOf(""); }).find("names no provider"), std::string::npos);
  Connection connection;
  connection.SetConnectionString("Provider=SQLite");
  EXPECT_NE(Failure([&] { connection.Open(); }).find("no Data Source"), std::string::npos);
  connection.SetConnectionString("Provider=SQLite;Data Source=relative.db");
  EXPECT_NE(Failure([&] { connection.Open(); }).find("no base directory"), std::string::npos);
  EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionStrings, ARelativeSqliteFileIsTakenFromTheBaseDirectory) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("Data"));
  RunSqlite(folder.File("Data/erp.db"), "create table T(A int); insert into T values(1);");
  Connection connection(folder.Path());
  connection.SetConnectionString("Provider=SQLite;Data Source=Data/erp.db");
  EXPECT_EQ(connection.Execute("update T set A = 2"), 1);
  EXPECT_THROW(connection.SetConnectionString("Provider=SQLite;Data Source=other.db"),
               EDatabaseError);  // not while open
  connection.Close();
  connection.SetConnectionString("Provider=SQLite;Data Source=other.db");
  EXPECT_NE(Failure([&] { connection.Open(); }).find(folder.File("other.db")), std::string::npos);
}

TEST(ConnectionStrings, AFailedOdbcConnectionNamesTheTargetButNeverThePassword) {
  testing_data::OdbcTestDriver();  // points unixODBC at the test registry
  Connection connection;
  connection.SetConnectionString("Driver={No Such Driver};Server=db1;UID=sa;PWD=TopSecret1");
  const std::string message = Failure([&] { connection.Open(); });
  EXPECT_NE(message.find("Server=db1"), std::string::npos) << message;
  // Neither the password nor the rest of the string: only where it leads.
  EXPECT_EQ(message.find("TopSecret1"), std::string::npos) << message;
  EXPECT_EQ(message.find("PWD"), std::string::npos) << message;
  EXPECT_EQ(message.find("UID"), std::string::npos) << message;
}

TEST(ConnectionStrings, FreeTdsTakesTheMappedSqlServerStringsAndFailsOnlyToConnect) {
  testing_data::OdbcTestDriver();  // registers FreeTDS too
  const testing_data::ClosedPort port;
  const std::string server = "127.0.0.1," + port.Text();
  const std::string strings[] = {
      "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=Secret1;"
      "Initial Catalog=ERP;Data Source=" + server + ";Connect Timeout=2",
      "Provider=SQLNCLI11;Data Source=" + server + ";Initial Catalog=ERP;User ID=sa;"
      "Password=Secret1;Application Name=gateway;Connect Timeout=2",
      "Provider=MSOLEDBSQL;Data Source=" + server + ";Initial Catalog=ERP;User ID=sa;"
      "Password=Secret1;Connect Timeout=2",
      "Provider=MSDASQL;Driver=FreeTDS;Server=127.0.0.1;Port=" + port.Text() +
          ";Database=ERP;UID=sa;PWD=Secret1;Connect Timeout=2",
  };
  for (const std::string& text : strings) {
    SCOPED_TRACE(text);
    TKvADOConnection connection;
    connection.SetConnectionString(text);
    try {
      connection.Open();
      ADD_FAILURE() << "connected to a port where nothing listens";
    } catch (const EDatabaseError& error) {
      // The driver was found and took every item: it gave up on the network
      // (SQLSTATE class 08), not on loading (01000, IM...) or on an item (HY...).
      ASSERT_FALSE(error.Entries().empty()) << error.Message();
      for (const DatabaseErrorEntry& entry : error.Entries()) {
        EXPECT_EQ(entry.Message.rfind("[08", 0), 0u) << entry.Message;
      }
      EXPECT_NE(error.Message().find("[FreeTDS]"), std::string::npos) << error.Message();
      // Where it failed to connect, and nothing else of the string.
      EXPECT_NE(error.Message().find("Server=127.0.0.1;Port=" + port.Text()), std::string::npos)
          << error.Message();
      EXPECT_EQ(error.Message().find("Secret1"), std::string::npos) << error.Message();
      EXPECT_EQ(error.Message().find("UID"), std::string::npos) << error.Message();
    }
  }
}

TEST(ConnectionStrings, AQueryMayCarryItsOwnConnectionString) {
  TempFolder folder;
  RunSqlite(folder.File("erp.db"), "create table T(A int); insert into T values(7);");
  Query query;
  EXPECT_NE(Failure([&] { query.SetSQL("select A from T"), query.Open(); }).find("no connection"),
            std::string::npos);
  query.SetConnectionString("Provider=SQLite;Data Source=" + folder.File("erp.db"));
  query.Open();
  EXPECT_EQ(query.Fields(0).AsInteger(), 7);
}

}  // namespace
}  // namespace gateway
