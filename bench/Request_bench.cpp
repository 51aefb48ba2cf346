// The request path of "GetData" on requests of hostile shapes, at 1,000,
// 10,000 and 100,000 items: what it costs to take a request into the input
// pool and build (or refuse) its statement. Every shape must cost time linear
// in its size. The gateway root has no database configured, so each
// execution stops where the statement would be sent, after every part of
// the request has been read and checked.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "business/PurchaseOrderBusiness.h"
#include "config/ModulePath.h"
#include "pools/GlobleParams.h"

namespace {

// The columns every request asks for, the order keys among them.
const std::string kHead =
    "<Request><Seperator>;</Seperator><PropertyList>TC001;TC002;TD003</PropertyList>";

// A condition of `items` properties.
std::string ConditionItems(int items) {
  std::string request = kHead + "<Condition Type=\"and\"><Group Type=\"or\">";
  for (int i = 0; i < items; ++i) {
    request += "<Property Name=\"TC002\" Type=\"EQUAL\" Value=\"" + std::to_string(i) + "\"/>";
  }
  return request + "</Group></Condition></Request>";
}

// `items` elements below the root, each of its own name.
std::string RootChildren(int items) {
  std::string request = kHead;
  for (int i = 0; i < items; ++i) request += "<E" + std::to_string(i) + ">x</E" + std::to_string(i) + ">";
  return request + "</Request>";
}

// One condition property with `items` attributes.
std::string Attributes(int items) {
  std::string request = kHead + "<Condition><Group><Property Name=\"TC002\" Type=\"EQUAL\"";
  for (int i = 0; i < items; ++i) request += " a" + std::to_string(i) + "=\"1\"";
  return request + " Value=\"1\"/></Group></Condition></Request>";
}

const std::string kPlainRequest =
    kHead + "<Condition><Group><Property Name=\"TC035\" Type=\"EQUAL\" Value=\"N\"/></Group>"
            "</Condition><OrderList>TC001;TC002</OrderList></Request>";

// A gateway root without a database and with tracing off, and the library
// started in it, made once per run.
class Root {
 public:
  Root() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gateway-request-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/Bin");
    std::filesystem::create_directories(folder_ + "/Obj");
    std::ofstream(folder_ + "/GatewayConfig.ini") << "[Options]\nKeepLog=0\n";
    std::ofstream(folder_ + "/Obj/PurchaseOrder.xml")
        << "<Object ID=\"PURTC\"><PropertyList><Property ID=\"TC001\" Field=\"TC001\" "
           "IsKey=\"Y\"/><Property ID=\"TC002\" Field=\"TC002\" IsKey=\"Y\"/></PropertyList>"
           "</Object>";
    gateway::SetModulePathForTesting(folder_ + "/Bin/PurchaseOrder.so");
    gateway::StartupLibrary();
    business_ = std::make_unique<gateway::TPurchaseOrderBusiness>();
    business_->Initialize("");
  }
  ~Root() {
    business_.reset();
    gateway::ShutdownLibrary();
    gateway::SetModulePathForTesting("");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // One request taken in and executed.
  void Run(const std::string& request) {
    gateway::IOperater* get_data = business_->GetOperaterList()->GetItem(0);
    get_data->GetInputPool()->SetXML(request);
    get_data->Execute();
  }
  int InputPools() {
    auto* get_data = static_cast<gateway::TBaseOperater*>(
        business_->GetOperaterList()->GetItem(0)->GetObject());
    return get_data->GetInputPool()->Pools().Count();
  }

 private:
  std::string folder_;
  std::unique_ptr<gateway::TPurchaseOrderBusiness> business_;
};

Root& TheRoot() {
  static Root root;
  return root;
}

template <std::string (*Make)(int)>
void BM_Request(benchmark::State& state) {
  const std::string request = Make(static_cast<int>(state.range(0)));
  Root& root = TheRoot();
  for (auto _ : state) root.Run(request);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * request.size()));
  state.counters["request_KB"] = static_cast<double>(request.size()) / 1024.0;
}

// A plain request after one with `items` distinct element names: the pools
// of that request must not stay and slow every later one down.
void BM_PlainAfterManyNames(benchmark::State& state) {
  Root& root = TheRoot();
  root.Run(RootChildren(static_cast<int>(state.range(0))));
  // The first plain request ends the pools of the large one, untimed.
  root.Run(kPlainRequest);
  for (auto _ : state) root.Run(kPlainRequest);
  state.counters["input_pools"] = root.InputPools();
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Request<ConditionItems>)->Name("BM_ConditionItems")->Apply(Sizes);
BENCHMARK(BM_Request<RootChildren>)->Name("BM_RootChildren")->Apply(Sizes);
BENCHMARK(BM_Request<Attributes>)->Name("BM_Attributes")->Apply(Sizes);
BENCHMARK(BM_PlainAfterManyNames)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
