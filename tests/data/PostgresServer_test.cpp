// What is particular to a database server reached through ODBC, on the
// PostgreSQL test server: a factory's database as a schema, timeouts that
// hold on the server and on the wire, login failures that keep the password
// to themselves, and a link that is lost and made again.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "config/Errors.h"
#include "data/Connection.h"
#include "data/PgTestServer.h"
#include "data/Query.h"
#include "data/TestDatabase.h"

namespace gateway {
namespace {

using testing_data::DriverKind;
using testing_data::PgAddress;
using testing_data::TempFolder;
using testing_data::TestDatabase;

template <class Action>
EDatabaseError Failure(Action action) {
  return testing_data::Failure<EDatabaseError>(action);
}

class PostgresServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing_data::PostgresSkipped()) GTEST_SKIP() << "GATEWAY_SKIP_POSTGRES=1";
    database_ = std::make_unique<TestDatabase>(DriverKind::kPostgres, "");
    database_->Run("create table PURTC(TC001 char(4), TC002 varchar(20), TC035 char(1));"
                   "insert into PURTC values ('3301', 'A', 'N'), ('3301', 'B', 'N');");
    connection_.SetConnectionString(database_->ConnectionString());
  }

  std::unique_ptr<Query> NewQuery(std::string_view sql) {
    auto query = std::make_unique<Query>();
    query->SetConnection(&connection_);
    query->SetSQL(sql);
    return query;
  }

  int64_t Count(const std::string& sql) {
    auto query = NewQuery(sql);
    query->Open();
    return query->Fields(0).AsLargeInt();
  }

  // Statements of this test's database still running on the server, seen
  // from another session, once the server has had five seconds to act on a
  // cancel (far less than the statements in question would run).
  int64_t RunningOnServer(const std::string& like) {
    Connection observer;
    observer.SetConnectionString(database_->ConnectionString());
    Query query;
    query.SetConnection(&observer);
    query.SetSQL("select count(*) from pg_stat_activity where datname = '" +
                 database_->Scratch().Name() + "' and state = 'active' and query like '" + like +
                 "' and pid <> pg_backend_pid()");
    int64_t running = 0;
    for (int i = 0; i < 50; ++i) {
      query.Open();
      running = query.Fields(0).AsLargeInt();
      query.Close();
      if (running == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return running;
  }

  // Ends this test's other sessions on the server, as an administrator would.
  void TerminateOtherSessions() {
    Connection admin;
    admin.SetConnectionString(database_->ConnectionString());
    admin.Execute("select pg_terminate_backend(pid) from pg_stat_activity where datname = '" +
                  database_->Scratch().Name() + "' and pid <> pg_backend_pid()");
  }

  std::unique_ptr<TestDatabase> database_;
  Connection connection_;
};

TEST_F(PostgresServerTest, AFactorysDatabaseIsASchemaOfTheServersDatabase) {
  EXPECT_STREQ(connection_.GetDialect().Name(), "PostgreSQL");
  database_->RunInCompany("FAC1", "create table PURTC(TC001 char(4)); insert into PURTC values ('F');");
  database_->Run("create schema \"Fab 2\"; create table \"Fab 2\".PURTC(TC001 char(4));");
  EXPECT_EQ(connection_.DatabasePrefix("FAC1"), "FAC1.");
  EXPECT_EQ(Count("select count(*) from " + connection_.DatabasePrefix("FAC1") + "PURTC"), 1);
  // A name that is not a plain identifier is quoted, and so kept as written.
  EXPECT_EQ(connection_.DatabasePrefix("Fab 2"), "\"Fab 2\".");
  EXPECT_EQ(Count("select count(*) from " + connection_.DatabasePrefix("Fab 2") + "PURTC"), 0);
  EXPECT_EQ(connection_.DatabasePrefix("Fab\"3"), "\"Fab\"\"3\".");
}

TEST_F(PostgresServerTest, NamesTheServerFoldedAreReportedInCapitals) {
  auto query = NewQuery("select tc001, TC002 as \"Tc002\", count(*) over () as n from PURTC");
  query->Open();
  ASSERT_EQ(query->FieldCount(), 3);
  EXPECT_EQ(query->Fields(0).FieldName(), "TC001");
  EXPECT_EQ(query->Fields(1).FieldName(), "Tc002");  // quoted: kept as written
  EXPECT_EQ(query->Fields(2).FieldName(), "N");
  EXPECT_EQ(query->FieldByName("n").AsInteger(), 2);
}

TEST_F(PostgresServerTest, TheCommandTimeoutStopsTheStatementOnTheServer) {
  auto query = NewQuery("select TC001 from PURTC where pg_sleep(60) is not null");
  query->SetCommandTimeout(1);
  const EDatabaseError error = Failure([&] { query->Open(); });
  EXPECT_NE(error.Message().find("command timeout of 1 seconds"), std::string::npos)
      << error.Message();
  // The server no longer runs it, and the connection goes on.
  EXPECT_EQ(RunningOnServer("%pg_sleep(60)%"), 0);
  EXPECT_EQ(Count("select count(*) from PURTC"), 2);
}

// A listener on loopback that takes connections and never says a word.
class SilentListener {
 public:
  SilentListener() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(socket_, 8) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on loopback");
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() { ::close(socket_); }
  int Port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

TEST_F(PostgresServerTest, TheLoginTimeoutHoldsAgainstAServerThatNeverAnswers) {
  SilentListener silent;
  Connection connection;
  connection.SetConnectionTimeout(1);
  connection.SetConnectionString("Provider=MSDASQL;Driver=" + testing_data::OdbcPostgresDriver() +
                                 ";Server=127.0.0.1;Port=" + std::to_string(silent.Port()) +
                                 ";Database=erp;Uid=gateway;Pwd=Secret-1");
  const EDatabaseError error = Failure([&] { connection.Open(); });
  EXPECT_NE(error.Message().find("timeout"), std::string::npos) << error.Message();
  EXPECT_FALSE(connection.Connected());
}

TEST_F(PostgresServerTest, ALoginThatFailsIsClearAndKeepsThePasswordToItself) {
  const PgAddress& server = database_->Scratch().Server();
  struct Case {
    std::string database;
    std::string password;
    const char* says;
  };
  const Case cases[] = {
      {database_->Scratch().Name(), "Wrong-Pass-77", "password authentication failed"},
      {"no_such_erp", server.password, "does not exist"},
  };
  for (const Case& c : cases) {
    Connection connection;
    connection.SetConnectionString("Provider=MSDASQL;Driver=" +
                                   testing_data::OdbcPostgresDriver() + ";Server=" + server.host +
                                   ";Port=" + server.port + ";Database=" + c.database +
                                   ";Uid=" + server.user + ";Pwd=" + c.password);
    const EDatabaseError error = Failure([&] { connection.Open(); });
    const std::string message = error.Message();
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_NE(message.find("Database=" + c.database), std::string::npos) << message;
    EXPECT_EQ(message.find(c.password), std::string::npos) << message;
    EXPECT_EQ(message.find("Pwd"), std::string::npos) << message;
    for (const DatabaseErrorEntry& entry : error.Entries()) {
      EXPECT_EQ(entry.Message.find(c.password), std::string::npos) << entry.Message;
    }
  }
}

TEST_F(PostgresServerTest, ALostLinkIsReportedAndTheNextStatementConnectsAgain) {
  EXPECT_EQ(Count("select count(*) from PURTC"), 2);
  auto query = NewQuery("select TC002 from PURTC order by TC002");
  query->SetPrepared(true);
  query->Open();
  query->Close();
  TerminateOtherSessions();
  const EDatabaseError error = Failure([&] { query->Open(); });
  EXPECT_NE(error.Message().find("connection to the ODBC data source"), std::string::npos)
      << error.Message();
  EXPECT_NE(error.Message().find("was lost"), std::string::npos) << error.Message();
  EXPECT_FALSE(connection_.Connected());
  // A transaction the server ended with the link is only forgotten.
  // The next statement, on the same objects, connects anew.
  query->Open();
  EXPECT_TRUE(connection_.Connected());
  EXPECT_EQ(query->RecordCount(), 2);
  connection_.BeginTrans();
  TerminateOtherSessions();
  Failure([&] { connection_.Execute("update PURTC set TC035 = 'Y'"); });
  connection_.RollbackTrans();
  EXPECT_EQ(Count("select count(*) from PURTC where TC035 = 'Y'"), 0);
}

}  // namespace
}  // namespace gateway
