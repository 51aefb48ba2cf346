// End-to-end "GetData" of the purchase-order business object on demo gateway
// roots of 1,000, 10,000 and 100,000 order lines, beside the sqlite3 shell
// running the same SELECT and writing its rows as CSV.
//
// BM_GetData/N runs one request per iteration in process (request in, Execute,
// response out) and splits its time into the query (PrepareDataSet: the outer
// SELECT through the data controller), the response XML (the output pool's
// XML, produced once inside Finish before the marking) and the marking (the
// UPDATE per returned row, the rest of Finish); "other" is what is left of the
// request (reading the request, binding the output, Error and Status, the
// host's read of the kept response). Between requests, outside the timing,
// TC035 goes back to its generated value, so every request returns the same
// rows. Its peak memory is the process's VmHWM through the first request of a
// freshly started library.
//
// BM_Sqlite3Shell/N spawns the shell on the same root (the outer SELECT as the
// data controller ran it, after attaching the factory database as the
// controller does) and times it by wall clock; its peak memory is its
// ru_maxrss from wait4. The table at the end gives the ratios.
//
// BM_GetDataOnServer/100000 runs the same request on the same data written
// into a PostgreSQL database (a throw-away cluster on loopback, reached
// through the PostgreSQL ODBC driver); BM_PsqlCopy/100000 is its baseline:
// psql running the same SELECT with \copy to a CSV file, then one set-based
// UPDATE of the same orders in one transaction.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "business/PurchaseOrderBusiness.h"
#include "config/ModulePath.h"
#include "data/Connection.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "data/odbc/OdbcDriver.h"
#include "data/sqlite/SqliteTypes.h"
#include "pools/GlobleParams.h"
#include "text/XmlText.h"

extern char** environ;

namespace {

#ifdef GATEWAY_DEMO_GENERATOR
constexpr const char* kGenerator = GATEWAY_DEMO_GENERATOR;
#else
constexpr const char* kGenerator = nullptr;
#endif
#ifdef GATEWAY_PG_CLUSTER
constexpr const char* kPgCluster = GATEWAY_PG_CLUSTER;
#else
constexpr const char* kPgCluster = nullptr;
#endif

constexpr int kLinesPerOrder = 5;
constexpr int kSizes[] = {1000, 10000, 100000, 1000000};

// Factory F01's orders not handed over yet: 20 columns, one condition, an
// order list. The Factory element makes "$$" name F01's own database.
constexpr char kRequest[] =
    "<Request><Seperator>;</Seperator><DateFormat>yyyy-mm-dd hh:nn:ss</DateFormat>"
    "<Factory>F01</Factory><User>bench</User>"
    "<PropertyList>TC001;TC002;TC003;TC004;MA002;TC005;MF002;TC018C;TD003;TD004;TD005;TD006;"
    "TD008;TD009;TD010;TD011;TD012;MC002;TC035;CREATE_DATE</PropertyList>"
    "<Condition Type=\"and\"><Property Name=\"TC035\" Type=\"=\" Value=\"N\"/></Condition>"
    "<OrderList>TC001;TC002;TD003</OrderList></Request>";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Values of /proc/self/status in bytes ("VmHWM", "VmRSS").
double StatusBytes(const char* key) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(key) + ":";
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stod(line.substr(prefix.size())) * 1024.0;
  }
  return 0;
}

// Lowers the peak resident size to the current one, so that each benchmark
// reports its own peak instead of the largest one of the run so far.
void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5\n"; }

// The process's peak over a stretch of time, and how far each phase in it
// rose above the resident size it started with. Each phase restarts the
// kernel's peak, so the stretch's peak is the largest of the phases' peaks.
class MemoryProbe {
 public:
  MemoryProbe() { ResetPeakResident(); }
  void StartPhase() {
    peak_ = std::max(peak_, StatusBytes("VmHWM"));
    base_ = StatusBytes("VmRSS");
    ResetPeakResident();
  }
  double PhaseRise() const { return std::max(0.0, StatusBytes("VmHWM") - base_); }
  double Peak() const { return std::max(peak_, StatusBytes("VmHWM")); }

 private:
  double peak_ = 0;
  double base_ = 0;
};

// What a program started by the launcher reports back.
struct Spawned {
  int spawn_error = 0;    // errno of posix_spawnp; 0 when the program ran
  int status = 0;         // wait4's status
  double seconds = 0;     // wall clock from the spawn to the end of the wait
  double peak_bytes = 0;  // the program's ru_maxrss
};

// Starts a program with stdout and stderr sent to files and waits for it.
Spawned SpawnAndWait(const std::vector<std::string>& args, const std::string& out,
                     const std::string& err) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Spawned result;
  pid_t pid = 0;
  const Clock::time_point start = Clock::now();
  result.spawn_error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result.spawn_error != 0) return result;
  rusage usage{};
  while (::wait4(pid, &result.status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.seconds = Seconds(Clock::now() - start);
  result.peak_bytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
  return result;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Starts programs from a small process forked before the benchmark grows.
// Linux counts the memory of the process a program is started from in the
// program's ru_maxrss (exec keeps the larger of the old and the new memory's
// peak), so the shell started from the benchmark itself would report the
// benchmark's peak instead of its own.
class Launcher {
 public:
  // Forks the launcher; call first thing in main, while the process is small.
  static void Start() {
    int requests[2], replies[2];
    // Close-on-exec: a program started later (the launched ones, a database
    // server) must not hold the pipes open, or the launcher never sees their end.
    if (::pipe2(requests, O_CLOEXEC) != 0 || ::pipe2(replies, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
      ::close(requests[1]);
      ::close(replies[0]);
      Serve(requests[0], replies[1]);
      ::_exit(0);
    }
    ::close(requests[0]);
    ::close(replies[1]);
    Instance() = {pid, requests[1], replies[0]};
  }

  // Ends the launcher: it leaves when its request pipe closes.
  static void Stop() {
    State& state = Instance();
    if (state.pid <= 0) return;
    ::close(state.requests);
    ::close(state.replies);
    ::waitpid(state.pid, nullptr, 0);
    state = {};
  }

  // Runs a program through the launcher; fails unless it exits with 0.
  static Spawned Run(const std::vector<std::string>& args, const std::string& out,
                     const std::string& err) {
    const State& state = Instance();
    if (state.pid <= 0) throw std::runtime_error("the launcher is not running");
    std::vector<std::string> message = args;
    message.push_back(out);
    message.push_back(err);
    if (!WriteStrings(state.requests, message)) throw std::runtime_error("the launcher is gone");
    Spawned result;
    if (!ReadAll(state.replies, &result, sizeof result)) {
      throw std::runtime_error("the launcher is gone");
    }
    if (result.spawn_error != 0) {
      throw std::runtime_error("cannot start " + args[0] + ": " +
                               std::strerror(result.spawn_error));
    }
    if (!WIFEXITED(result.status) || WEXITSTATUS(result.status) != 0) {
      std::stringstream text;
      text << std::ifstream(err).rdbuf();
      throw std::runtime_error(args[0] + " failed: " + text.str());
    }
    return result;
  }

 private:
  struct State {
    pid_t pid = 0;
    int requests = -1;
    int replies = -1;
  };
  static State& Instance() {
    static State state;
    return state;
  }

  // A request: the count of strings, then each as its length and its bytes:
  // the program's arguments, then the stdout and stderr files.
  static bool WriteStrings(int fd, const std::vector<std::string>& strings) {
    const uint32_t count = static_cast<uint32_t>(strings.size());
    if (!WriteAll(fd, &count, sizeof count)) return false;
    for (const std::string& text : strings) {
      const uint32_t size = static_cast<uint32_t>(text.size());
      if (!WriteAll(fd, &size, sizeof size) || !WriteAll(fd, text.data(), size)) return false;
    }
    return true;
  }

  static void Serve(int requests, int replies) {
    for (;;) {
      uint32_t count = 0;
      if (!ReadAll(requests, &count, sizeof count) || count < 3) return;
      std::vector<std::string> strings(count);
      for (std::string& text : strings) {
        uint32_t size = 0;
        if (!ReadAll(requests, &size, sizeof size)) return;
        text.resize(size);
        if (!ReadAll(requests, text.data(), size)) return;
      }
      const std::string err = strings.back();
      strings.pop_back();
      const std::string out = strings.back();
      strings.pop_back();
      const Spawned result = SpawnAndWait(strings, out, err);
      if (!WriteAll(replies, &result, sizeof result)) return;
    }
  }
};

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error != nullptr ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw std::runtime_error(std::string(sql) + ": " + message);
  }
}

// A demo gateway root of `lines` order lines in a temporary folder, made once
// and removed at exit; with an ODBC connection string, its ERP data are
// written into that database. Tracing is switched off: the trace log would
// record every statement and every response.
class DemoRoot {
 public:
  explicit DemoRoot(int lines, const std::string& odbc = {}) {
    if (kGenerator == nullptr) throw std::runtime_error("built without the demo generator");
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gateway-getdata-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    root_ = folder_ + "/root";
    std::vector<std::string> args = {kGenerator,
                                     "--root",
                                     root_,
                                     "--orders",
                                     std::to_string(lines / kLinesPerOrder),
                                     "--lines-per-order",
                                     std::to_string(kLinesPerOrder),
                                     "--seed",
                                     "1"};
    if (!odbc.empty()) args.insert(args.end(), {"--odbc", odbc});
    Launcher::Run(args, folder_ + "/generator.out", folder_ + "/generator.err");
    const std::string config = root_ + "/GatewayConfig.ini";
    std::stringstream text;
    text << std::ifstream(config).rdbuf();
    std::string ini = text.str();
    const size_t at = ini.find("KeepLog=1");
    if (at == std::string::npos) throw std::runtime_error("no KeepLog=1 in " + config);
    ini.replace(at, 9, "KeepLog=0");
    std::ofstream(config, std::ios::trunc) << ini;
  }
  ~DemoRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  DemoRoot(const DemoRoot&) = delete;
  DemoRoot& operator=(const DemoRoot&) = delete;

  const std::string& Root() const { return root_; }
  const std::string& Folder() const { return folder_; }

  // The outer SELECT as the data controller ran it ("$$" resolved) and the
  // company database it named; set by the first request on this root.
  std::string statement;
  std::string database;

 private:
  std::string folder_;
  std::string root_;
};

DemoRoot& Root(int lines) {
  static std::map<int, std::unique_ptr<DemoRoot>> roots;
  std::unique_ptr<DemoRoot>& root = roots[lines];
  if (!root) root = std::make_unique<DemoRoot>(lines);
  return *root;
}

// Puts TC035 of the factory's orders back to its generated value, so that
// every request sees the same rows. A connection of its own, used only
// between requests.
class Resetter {
 public:
  virtual ~Resetter() = default;
  virtual void Reset() = 0;
};

// On an SQLite root: the factory's file ERP_F01.db.
class MarkReset final : public Resetter {
 public:
  explicit MarkReset(const std::string& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      const std::string message = sqlite3_errmsg(db_);
      sqlite3_close(db_);
      throw std::runtime_error("cannot open " + file + ": " + message);
    }
    sqlite3_busy_timeout(db_, 30000);
    Exec(db_,
         "CREATE TEMP TABLE Generated (TC001, TC002, TC035, PRIMARY KEY (TC001, TC002));"
         "INSERT INTO temp.Generated SELECT TC001, TC002, TC035 FROM main.PURTC");
  }
  ~MarkReset() override { sqlite3_close(db_); }
  MarkReset(const MarkReset&) = delete;
  MarkReset& operator=(const MarkReset&) = delete;

  void Reset() override {
    Exec(db_,
         "UPDATE main.PURTC SET TC035 = g.TC035 FROM temp.Generated AS g"
         " WHERE g.TC001 = PURTC.TC001 AND g.TC002 = PURTC.TC002 AND PURTC.TC035 IS NOT g.TC035");
  }

 private:
  sqlite3* db_ = nullptr;
};

// A throw-away PostgreSQL cluster (scripts/pg-cluster.sh) with a database
// "erp", made on first use and dropped at exit.
class BenchServer {
 public:
  BenchServer() {
    if (kPgCluster == nullptr) throw std::runtime_error("built without the cluster script");
    std::string pattern = "/tmp/gateway-bench-pg-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    ::chmod(pattern.c_str(), 0755);  // the server's user must reach its folder
    folder_ = pattern;
    if (Script("start") != 0) throw std::runtime_error("the PostgreSQL cluster did not start");
    std::ifstream env(folder_ + "/cluster/server.env");
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(env, line)) {
      const size_t equal = line.find('=');
      if (equal != std::string::npos) values[line.substr(0, equal)] = line.substr(equal + 1);
    }
    host_ = values["PGHOST"], port_ = values["PGPORT"];
    user_ = values["PGUSER"], password_ = values["PGPASSWORD"];
    gateway::Parameters none;
    gateway::ConnectOdbc(Odbc("postgres"), "bench server", 15)
        ->Prepare("create database erp")
        ->Execute(none, 0);
  }
  ~BenchServer() {
    Script("drop");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  BenchServer(const BenchServer&) = delete;
  BenchServer& operator=(const BenchServer&) = delete;

  // Through the driver Debian's odbc-postgresql registers (whose registration
  // switches the driver's communication log on: off here).
  std::string Odbc(const std::string& database = "erp") const {
    return "Driver=PostgreSQL ANSI;Server=" + host_ + ";Port=" + port_ + ";Database=" + database +
           ";UID=" + user_ + ";PWD=" + password_ + ";CommLog=0";
  }
  // For psql.
  std::string Conninfo() const {
    return "host=" + host_ + " port=" + port_ + " user=" + user_ + " password=" + password_ +
           " dbname=erp";
  }

 private:
  int Script(const char* command) const {
    const std::string line = std::string("'") + kPgCluster + "' " + command + " '" + folder_ +
                             "/cluster' >'" + folder_ + "/cluster.log' 2>&1";
    return std::system(line.c_str());
  }

  std::string folder_;
  std::string host_, port_, user_, password_;
};

BenchServer& Server() {
  static const std::unique_ptr<BenchServer> server = std::make_unique<BenchServer>();
  return *server;
}

DemoRoot& ServerRoot(int lines) {
  static std::map<int, std::unique_ptr<DemoRoot>> roots;
  std::unique_ptr<DemoRoot>& root = roots[lines];
  if (!root) root = std::make_unique<DemoRoot>(lines, Server().Odbc());
  return *root;
}

// On the server: the factory's schema ERP_F01, its generated marks kept in a
// table beside its orders.
class ServerMarkReset final : public Resetter {
 public:
  ServerMarkReset() {
    connection_.SetConnectionString("Provider=MSDASQL;" + Server().Odbc());
    connection_.Execute(
        "DROP TABLE IF EXISTS ERP_F01.Generated;"
        "CREATE TABLE ERP_F01.Generated AS SELECT TC001, TC002, TC035 FROM ERP_F01.PURTC");
  }
  void Reset() override {
    connection_.Execute(
        "UPDATE ERP_F01.PURTC AS p SET TC035 = g.TC035 FROM ERP_F01.Generated AS g"
        " WHERE g.TC001 = p.TC001 AND g.TC002 = p.TC002 AND p.TC035 IS DISTINCT FROM g.TC035");
  }

 private:
  gateway::Connection connection_;
};

// The purchase-order operator with clocks around its steps and nothing else
// changed. The output's XML is produced once, inside Finish, before the
// marking: the output pool's handlers stamp its start and end there.
class TimedGetData : public gateway::TPurchaseOrderGetData {
 public:
  struct Phases {
    double query = 0, xml = 0, mark = 0;
    double mark_cpu = 0;  // the marking's own CPU time; the rest of it is waiting
    // Peak resident size above each phase's start, while a probe is set.
    double query_rise = 0, xml_rise = 0, mark_rise = 0;
  };

  explicit TimedGetData(gateway::TBusinessBase* business) : TPurchaseOrderGetData(business) {
    GetOutputPool()->OnBeforeGetXML = [this](gateway::TBasePool&) {
      if (!in_finish_) return;
      if (probe_ != nullptr) probe_->StartPhase();
      xml_start_ = Clock::now();
    };
    GetOutputPool()->OnAfterGetXML = [this](gateway::TBasePool&, std::string&) {
      if (!in_finish_) return;
      xml_end_ = Clock::now();
      xml_end_cpu_ = ThreadCpuSeconds();
      if (probe_ != nullptr) {
        phases_.xml_rise = probe_->PhaseRise();
        probe_->StartPhase();
      }
    };
  }

  Phases TakePhases() { return std::exchange(phases_, Phases{}); }
  // Reading memory costs time: set a probe only for requests that are not timed.
  void SetProbe(MemoryProbe* probe) { probe_ = probe; }

 protected:
  void PrepareDataSet() override {
    if (probe_ != nullptr) probe_->StartPhase();
    const Clock::time_point start = Clock::now();
    TPurchaseOrderGetData::PrepareDataSet();
    phases_.query += Seconds(Clock::now() - start);
    if (probe_ != nullptr) phases_.query_rise = probe_->PhaseRise();
  }

  void Finish() override {
    in_finish_ = true;
    xml_start_ = xml_end_ = Clock::time_point{};
    struct Leave {
      bool& flag;
      ~Leave() { flag = false; }
    } leave{in_finish_};
    TPurchaseOrderGetData::Finish();
    const Clock::time_point end = Clock::now();
    const double end_cpu = ThreadCpuSeconds();
    if (xml_end_ != Clock::time_point{}) {
      phases_.xml += Seconds(xml_end_ - xml_start_);
      phases_.mark += Seconds(end - xml_end_);
      phases_.mark_cpu += end_cpu - xml_end_cpu_;
      if (probe_ != nullptr) phases_.mark_rise = probe_->PhaseRise();
    }
  }

 private:
  Phases phases_;
  MemoryProbe* probe_ = nullptr;
  bool in_finish_ = false;
  Clock::time_point xml_start_, xml_end_;
  double xml_end_cpu_ = 0;
};

// The library started on a demo root, as the module's load starts it, with a
// purchase-order business object whose operator list also holds the timed
// operator.
class Session {
 public:
  explicit Session(const DemoRoot& root) {
    gateway::SetModulePathForTesting(root.Root() + "/Bin/PurchaseOrder.so");
    ::setenv("GATEWAY_REGISTRY", (root.Root() + "/registry.ini").c_str(), 1);
    gateway::StartupLibrary();
    business_ = std::make_unique<gateway::TPurchaseOrderBusiness>();
    // The list's reference owns the operator.
    operater_ = new TimedGetData(business_.get());
    business_->GetOperaterList()->Add(operater_);
    business_->Initialize("");
  }
  ~Session() {
    business_.reset();
    gateway::ShutdownLibrary();
    gateway::SetModulePathForTesting("");
    ::unsetenv("GATEWAY_REGISTRY");
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One request as a host sends it; returns the response.
  std::string Run() {
    operater_->GetInputPool()->SetXML(kRequest);
    operater_->Execute();
    std::string response = operater_->GetOutputPool()->GetXML();
    if (operater_->HasError()) throw std::runtime_error("GetData failed: " + response);
    return response;
  }

  TimedGetData& Operater() { return *operater_; }

 private:
  std::unique_ptr<gateway::TPurchaseOrderBusiness> business_;
  TimedGetData* operater_ = nullptr;
};

// What each benchmark leaves for the ratio table.
struct Figures {
  double seconds = 0;  // per request or run
  double peak_bytes = 0;
  // GetData only.
  double response_bytes = 0;
  double held_bytes = 0;
  double rss_first = 0, rss_last = 0, rss_max = 0;
  double query = 0, xml = 0, mark = 0;  // seconds per request
};
std::map<int, Figures> getdata_figures, shell_figures, odbc_getdata_figures,
    server_getdata_figures, psql_figures;

// GetData requests on a root, `reset` putting the marks back between them.
void MeasureGetData(benchmark::State& state, int lines, DemoRoot& root, Resetter& reset,
                    std::map<int, Figures>& figures) {
  try {
    // What an earlier size freed goes back to the system first, so that the
    // peak is this size's own.
    ::malloc_trim(0);
    const double start_rss = StatusBytes("VmRSS");
    MemoryProbe probe;
    Session session(root);
    // A first request, not timed, opens the connection, attaches the factory
    // database and looks the factory up, as a running gateway already has.
    // It also measures how far each phase raises the resident size.
    session.Operater().SetProbe(&probe);
    std::string response = session.Run();
    session.Operater().SetProbe(nullptr);
    // The peak of a freshly started library through one request: the figure
    // to set beside the shell, which also starts, runs one query and ends.
    const double first_peak = probe.Peak();
    const double first_rss = StatusBytes("VmRSS");
    root.statement =
        dynamic_cast<gateway::TMyAdoQuery&>(*session.Operater().GetDataSet()).SQLText();
    root.database = gateway::GlobleParams().DataController()->Database;
    const TimedGetData::Phases first = session.Operater().TakePhases();
    const size_t expected_bytes = response.size();
    const int expected_rows = session.Operater().GetDataSet()->RecordCount();
    // The host has written the response out and lets go of it before the
    // next request, as gatewayhost does; the resident size is read while it
    // holds the response of the request just answered.
    response = std::string();

    double total = 0;
    double rss_max = first_rss, rss_last = first_rss;
    TimedGetData::Phases sum;
    for (auto _ : state) {
      reset.Reset();
      const Clock::time_point begin = Clock::now();
      response = session.Run();
      const double seconds = Seconds(Clock::now() - begin);
      state.SetIterationTime(seconds);
      total += seconds;
      rss_last = StatusBytes("VmRSS");
      rss_max = std::max(rss_max, rss_last);
      const size_t response_bytes = std::exchange(response, std::string()).size();
      const TimedGetData::Phases phases = session.Operater().TakePhases();
      sum.query += phases.query;
      sum.xml += phases.xml;
      sum.mark += phases.mark;
      sum.mark_cpu += phases.mark_cpu;
      if (response_bytes != expected_bytes ||
          session.Operater().GetDataSet()->RecordCount() != expected_rows) {
        state.SkipWithError("a request saw other rows than the first");
        break;
      }
    }
    reset.Reset();
    if (state.error_occurred()) return;

    const double n = static_cast<double>(state.iterations());
    const double held = static_cast<double>(session.Operater().GetDataSet()->HeldBytes());
    figures[lines] = {total / n, first_peak, static_cast<double>(expected_bytes), held,
                      first_rss, rss_last, rss_max, sum.query / n, sum.xml / n, sum.mark / n};
    auto average_ms = [&](double seconds) { return seconds * 1000.0 / n; };
    state.counters["query_ms"] = average_ms(sum.query);
    state.counters["xml_ms"] = average_ms(sum.xml);
    state.counters["mark_ms"] = average_ms(sum.mark);
    state.counters["mark_cpu_ms"] = average_ms(sum.mark_cpu);
    state.counters["other_ms"] = average_ms(total - sum.query - sum.xml - sum.mark);
    state.counters["rows"] = expected_rows;
    state.counters["response_MB"] = static_cast<double>(expected_bytes) / 1e6;
    state.counters["result_held_MB"] = held / 1e6;
    state.counters["peak_per_response_and_held"] =
        first_peak / (static_cast<double>(expected_bytes) + held);
    state.counters["VmHWM_MB"] = first_peak / 1e6;
    state.counters["query_rise_MB"] = first.query_rise / 1e6;
    state.counters["xml_rise_MB"] = first.xml_rise / 1e6;
    state.counters["mark_rise_MB"] = first.mark_rise / 1e6;
    state.counters["start_RSS_MB"] = start_rss / 1e6;
    // The resident size after the first request, after the last, and the
    // largest after any request: identical requests must not make it grow.
    state.counters["VmHWM_end_MB"] = StatusBytes("VmHWM") / 1e6;
    state.counters["RSS_first_MB"] = first_rss / 1e6;
    state.counters["RSS_last_MB"] = rss_last / 1e6;
    state.counters["RSS_max_MB"] = rss_max / 1e6;
    state.counters["RSS_growth_per_request_MB"] = (rss_last - first_rss) / n / 1e6;
    int open_results = 0;
    for (const auto& query : gateway::GlobleParams().DataController()->Queries()) {
      if (query->Active()) ++open_results;
    }
    state.counters["open_results"] = open_results;
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

void BM_GetData(benchmark::State& state, int lines) {
  try {
    DemoRoot& root = Root(lines);
    MarkReset reset(root.Root() + "/ERP_F01.db");
    MeasureGetData(state, lines, root, reset, getdata_figures);
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

// The root's configuration switched to the SQLite ODBC driver (StepAPI=1:
// it steps through the result instead of copying it first) for as long as
// the object lives.
class OdbcConfiguration {
 public:
  explicit OdbcConfiguration(const DemoRoot& root) : file_(root.Root() + "/GatewayConfig.ini") {
    std::stringstream text;
    text << std::ifstream(file_).rdbuf();
    original_ = text.str();
    const std::string sqlite = "Provider=Provider=SQLite;Data Source=erp.db";
    const size_t at = original_.find(sqlite);
    if (at == std::string::npos) throw std::runtime_error("no SQLite provider in " + file_);
    std::string ini = original_;
    ini.replace(at, sqlite.size(),
                "Provider=Provider=MSDASQL;Driver=SQLite3;Database=" + root.Root() +
                    "/erp.db;NoCreat=1;StepAPI=1");
    std::ofstream(file_, std::ios::trunc) << ini;
  }
  ~OdbcConfiguration() { std::ofstream(file_, std::ios::trunc) << original_; }
  OdbcConfiguration(const OdbcConfiguration&) = delete;
  OdbcConfiguration& operator=(const OdbcConfiguration&) = delete;

 private:
  std::string file_;
  std::string original_;
};

void BM_GetDataOdbc(benchmark::State& state, int lines) {
  try {
    DemoRoot& root = Root(lines);
    MarkReset reset(root.Root() + "/ERP_F01.db");
    OdbcConfiguration odbc(root);
    MeasureGetData(state, lines, root, reset, odbc_getdata_figures);
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

void BM_GetDataOnServer(benchmark::State& state, int lines) {
  try {
    DemoRoot& root = ServerRoot(lines);
    ServerMarkReset reset;
    MeasureGetData(state, lines, root, reset, server_getdata_figures);
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

// When the GetData benchmark of a root was filtered out, one request learns
// the statement the baseline runs.
void LearnStatement(DemoRoot& root, Resetter& reset) {
  if (!root.statement.empty()) return;
  Session session(root);
  session.Run();
  root.statement = dynamic_cast<gateway::TMyAdoQuery&>(*session.Operater().GetDataSet()).SQLText();
  root.database = gateway::GlobleParams().DataController()->Database;
  reset.Reset();
}

// Rows (the lines after the header: no value holds a line break) and bytes of a CSV file.
std::pair<size_t, size_t> CsvSize(const std::string& csv) {
  std::ifstream file(csv, std::ios::binary);
  size_t line_count = 0, bytes = 0;
  std::string line;
  while (std::getline(file, line)) {
    ++line_count;
    bytes += line.size() + 1;
  }
  return {line_count > 0 ? line_count - 1 : 0, bytes};
}

void BM_Sqlite3Shell(benchmark::State& state, int lines) {
  try {
    DemoRoot& root = Root(lines);
    {
      MarkReset reset(root.Root() + "/ERP_F01.db");
      LearnStatement(root, reset);
    }
    const std::string attach = gateway::SqliteAttachStatement(
        gateway::CompanyDatabaseFile(root.Root() + "/erp.db", root.database), root.database);
    const std::string csv = root.Folder() + "/rows.csv";
    // The rows as CSV, then every order among them marked by one UPDATE, in
    // one transaction, as GetData reads and marks in one.
    const std::string script = attach + ";\nBEGIN;\n" + root.statement + ";\nUPDATE " +
                               root.database + ".PURTC SET TC035='Y' WHERE (TC001, TC002) IN " +
                               "(SELECT TC001, TC002 FROM (" + root.statement + "));\nCOMMIT;";
    const std::vector<std::string> args = {"sqlite3",
                                           "-batch",
                                           "-bail",
                                           "-init",
                                           "/dev/null",
                                           "-csv",
                                           "-header",
                                           root.Root() + "/erp.db",
                                           script};
    MarkReset reset(root.Root() + "/ERP_F01.db");
    double total = 0, peak = 0;
    for (auto _ : state) {
      reset.Reset();
      const Spawned run = Launcher::Run(args, csv, root.Folder() + "/sqlite3.err");
      state.SetIterationTime(run.seconds);
      total += run.seconds;
      peak = std::max(peak, run.peak_bytes);
    }
    reset.Reset();
    const auto [rows, bytes] = CsvSize(csv);
    const double n = static_cast<double>(state.iterations());
    shell_figures[lines] = {total / n, peak};
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["csv_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["maxrss_MB"] = peak / 1e6;
    if (getdata_figures.count(lines) != 0) {
      const Figures& ours = getdata_figures[lines];
      state.counters["getdata_per_shell_time"] = ours.seconds / (total / n);
      state.counters["getdata_per_shell_peak"] = ours.peak_bytes / peak;
    }
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

// psql on the server's root: the outer SELECT with \copy to CSV, then one
// UPDATE marking the orders of those rows, in one transaction.
void BM_PsqlCopy(benchmark::State& state, int lines) {
  try {
    DemoRoot& root = ServerRoot(lines);
    ServerMarkReset reset;
    LearnStatement(root, reset);
    // \copy takes its query on one line.
    std::string select = root.statement;
    std::replace(select.begin(), select.end(), '\r', ' ');
    std::replace(select.begin(), select.end(), '\n', ' ');
    const std::string csv = root.Folder() + "/server-rows.csv";
    const std::string script = root.Folder() + "/psql.sql";
    std::ofstream(script, std::ios::trunc)
        << "\\copy (" << select << ") to '" << csv << "' with (format csv, header)\n"
        << "BEGIN;\nUPDATE " << root.database << ".PURTC SET TC035 = 'Y' WHERE (TC001, TC002) IN "
        << "(SELECT TC001, TC002 FROM (" << select << ") AS delivered);\nCOMMIT;\n";
    const std::vector<std::string> args = {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1",
                                           "-f",   script, Server().Conninfo()};
    double total = 0, peak = 0;
    for (auto _ : state) {
      reset.Reset();
      const Spawned run = Launcher::Run(args, root.Folder() + "/psql.out", root.Folder() + "/psql.err");
      state.SetIterationTime(run.seconds);
      total += run.seconds;
      peak = std::max(peak, run.peak_bytes);
    }
    reset.Reset();
    const auto [rows, bytes] = CsvSize(csv);
    const double n = static_cast<double>(state.iterations());
    psql_figures[lines] = {total / n, peak};
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["csv_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["maxrss_MB"] = peak / 1e6;
    if (server_getdata_figures.count(lines) != 0) {
      state.counters["getdata_per_psql_time"] = server_getdata_figures[lines].seconds / (total / n);
    }
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

// The XML serialiser alone: a document of `rows` "Row" elements shaped like
// the response's (an attribute of about 190 bytes each, Chinese text among
// it), written as text. The document is built once, outside the timing.
void BM_SerialiseRows(benchmark::State& state, int rows) {
  try {
    gateway::XmlDocument document = gateway::LoadNormalizedXml("<Data/>");
    gateway::XmlNode data_set =
        document.DocumentElement().AppendChild(document.CreateElement("DataSet"));
    data_set.SetAttribute("Field", "TC001;TC002;TC003;TC004;MA002;TC005;MF002;TC018C;TD003");
    for (int i = 0; i < rows; ++i) {
      char line[256];
      std::snprintf(line, sizeof line,
                    "3301;%011d;2024-01-05 09:30:00;S%04d;供应商一 &amp; Co;RMB;人民币;"
                    "1.应税内含;%04d;W1;note with \"quotes\" &lt;and&gt; more text;N;"
                    "2024-01-05 09:30:00",
                    i, i % 1000, i % 5 + 1);
      data_set.AppendChild(document.CreateElement("Row")).SetAttribute("Data", line);
    }
    size_t bytes = 0;
    for (auto _ : state) {
      const Clock::time_point begin = Clock::now();
      const std::string xml = document.Xml();
      state.SetIterationTime(Seconds(Clock::now() - begin));
      bytes = xml.size();
    }
    state.counters["rows"] = rows;
    state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["ns_per_row"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate |
                                       benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

void PrintRatioTable(const char* title, const std::map<int, Figures>& ours_by_size,
                     const std::map<int, Figures>& theirs_by_size) {
  bool header = false;
  for (const auto& [lines, ours] : ours_by_size) {
    const auto shell = theirs_by_size.find(lines);
    if (shell == theirs_by_size.end()) continue;
    if (!header) {
      std::printf("\n%-26s time per request          peak memory\n", title);
      header = true;
    }
    std::printf("%7d lines   %9.1f ms / %7.1f ms = %6.1f   %6.1f MB / %5.1f MB = %5.2f\n", lines,
                ours.seconds * 1e3, shell->second.seconds * 1e3,
                ours.seconds / shell->second.seconds, ours.peak_bytes / 1e6,
                shell->second.peak_bytes / 1e6, ours.peak_bytes / shell->second.peak_bytes);
  }
}

void PrintRatios() {
  PrintRatioTable("GetData / sqlite3 shell", getdata_figures, shell_figures);
  PrintRatioTable("ODBC GetData / shell", odbc_getdata_figures, shell_figures);
  PrintRatioTable("server GetData / psql", server_getdata_figures, psql_figures);
  bool header = false;
  for (const auto* figures : {&getdata_figures, &odbc_getdata_figures, &server_getdata_figures}) {
    const char* kind = figures == &getdata_figures        ? "SQLite"
                       : figures == &odbc_getdata_figures ? "ODBC"
                                                          : "server";
    for (const auto& [lines, ours] : *figures) {
      if (!header) {
        std::printf(
            "\n%-7s %7s  %8s %8s %8s  %8s %8s %8s  %6s  %8s %8s %8s\n", "", "lines", "query",
            "xml", "mark", "response", "held", "VmHWM", "peak/", "RSS 1st", "RSS last",
            "RSS max");
        std::printf("%-7s %7s  %8s %8s %8s  %8s %8s %8s  %6s  %8s %8s %8s\n", "", "", "ms", "ms",
                    "ms", "MB", "MB", "MB", "(r+h)", "MB", "MB", "MB");
        header = true;
      }
      std::printf(
          "%-7s %7d  %8.1f %8.1f %8.1f  %8.1f %8.1f %8.1f  %6.2f  %8.1f %8.1f %8.1f\n", kind,
          lines, ours.query * 1e3, ours.xml * 1e3, ours.mark * 1e3, ours.response_bytes / 1e6,
          ours.held_bytes / 1e6, ours.peak_bytes / 1e6,
          ours.peak_bytes / (ours.response_bytes + ours.held_bytes), ours.rss_first / 1e6,
          ours.rss_last / 1e6, ours.rss_max / 1e6);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Launcher::Start();
  // Each size's GetData first, then the shell on the same root, so the ratio
  // of a size is known as soon as its pair has run.
  // Twenty requests at every size: the resident size after them is set
  // beside the one after the first. A million lines once: it is slow.
  for (const int lines : kSizes) {
    const int iterations = lines >= 1000000 ? 1 : 20;
    benchmark::RegisterBenchmark(("BM_GetData/" + std::to_string(lines)).c_str(), BM_GetData, lines)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(iterations);
    benchmark::RegisterBenchmark(("BM_Sqlite3Shell/" + std::to_string(lines)).c_str(),
                                 BM_Sqlite3Shell, lines)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(iterations);
  }
  // The same request through the SQLite ODBC driver, beside the same shell.
  constexpr int kServerLines = 100000;
  benchmark::RegisterBenchmark(("BM_GetDataOdbc/" + std::to_string(kServerLines)).c_str(),
                               BM_GetDataOdbc, kServerLines)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(5);
  // The XML serialiser alone, up to a million rows.
  for (const int rows : kSizes) {
    benchmark::RegisterBenchmark(("BM_SerialiseRows/" + std::to_string(rows)).c_str(),
                                 BM_SerialiseRows, rows)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(rows >= 1000000 ? 1 : 5);
  }
  // The same request on the same data on a database server, beside psql.
  benchmark::RegisterBenchmark(("BM_GetDataOnServer/" + std::to_string(kServerLines)).c_str(),
                               BM_GetDataOnServer, kServerLines)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(2);
  benchmark::RegisterBenchmark(("BM_PsqlCopy/" + std::to_string(kServerLines)).c_str(),
                               BM_PsqlCopy, kServerLines)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(2);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Launcher::Stop();
  PrintRatios();
  return 0;
}
