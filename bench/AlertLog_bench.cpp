// The statement log's cost per line: the two ways of appending a line to a
// log file that keep every line visible to readers, rotation and other
// writers at once, and the whole alert-log line as the data controller
// writes it for every statement.
//
// BM_OpenAppendClose: open(O_APPEND|O_CREAT), write, close per line (what
// every alert-log line did). BM_KeptOpenAppend: one O_APPEND descriptor kept
// open, the path looked up with stat before each line and opened again when
// it names another file (what the alert log does now). BM_WriteAlertLog: a
// whole " Query.SQL.Text :" line through WriteAlertLog, with the client path
// from a registry file and the stamp formatting.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "config/AlertLog.h"
#include "config/GatewayPaths.h"
#include "config/LogAppender.h"

namespace {

constexpr char kLine[] =
    "[2026/12/10 17:21:12:345]  Query.SQL.Text : UPDATE ERP_F01.PURTC SET TC035='Y' WHERE "
    "TC001='3301' AND TC002='20240105001'\n";

// A folder of the benchmark's own, removed at exit.
class Folder {
 public:
  Folder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gateway-alertlog-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const Folder& TheFolder() {
  static const Folder folder;
  return folder;
}

void BM_OpenAppendClose(benchmark::State& state) {
  const std::string file = TheFolder().Path() + "/open-close.log";
  for (auto _ : state) benchmark::DoNotOptimize(gateway::AppendToFile(file, kLine));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenAppendClose);

void BM_KeptOpenAppend(benchmark::State& state) {
  const std::string dir = TheFolder().Path() + "/kept";
  for (auto _ : state) benchmark::DoNotOptimize(gateway::AppendToLogFile(dir, "kept.log", kLine));
  state.SetItemsProcessed(state.iterations());
  gateway::CloseLogFiles();
}
BENCHMARK(BM_KeptOpenAppend);

void BM_WriteAlertLog(benchmark::State& state) {
  const std::string registry = TheFolder().Path() + "/registry.ini";
  std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath="
                          << TheFolder().Path() << "/client\n";
  ::setenv("GATEWAY_REGISTRY", registry.c_str(), 1);
  // A registry file changed in the last two seconds is read every time.
  ::sleep(3);
  const std::string text =
      " Query.SQL.Text : UPDATE ERP_F01.PURTC SET TC035='Y' WHERE TC001='3301' AND "
      "TC002='20240105001'\n";
  for (auto _ : state) benchmark::DoNotOptimize(gateway::WriteAlertLog("ProgramList", text, "D"));
  state.SetItemsProcessed(state.iterations());
  gateway::CloseLogFiles();
  ::unsetenv("GATEWAY_REGISTRY");
}
BENCHMARK(BM_WriteAlertLog);

}  // namespace

BENCHMARK_MAIN();
