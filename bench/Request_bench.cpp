// The request path of "GetData" on requests of hostile shapes, at 1,000,
// 10,000 and 100,000 items: what it costs to take a request into the input
// pool and build (or refuse) its statement. Every shape must cost time linear
// in its size. The gateway root has no database configured, so each
// execution stops where the statement would be sent, after every part of
// the request has been read and checked.
#include <benchmark/benchmark.h>

#include <string>

#include "fuzz/RequestRoot.h"

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
  for (int i = 0; i < items; ++i)
    request += "<E" + std::to_string(i) + ">x</E" + std::to_string(i) + ">";
  return request + "</Request>";
}

// A property list of `items` columns (the keys first).
std::string PropertyListItems(int items) {
  std::string request = "<Request><Seperator>;</Seperator><PropertyList>TC001;TC002";
  for (int i = 0; i < items; ++i) request += ";TD" + std::to_string(i);
  return request + "</PropertyList><OrderList>TC001;TC002</OrderList></Request>";
}

// An order list of `items` columns.
std::string OrderListItems(int items) {
  std::string request = kHead + "<OrderList>TC001";
  for (int i = 0; i < items; ++i) request += ";TD" + std::to_string(i) + " DESC";
  return request + "</OrderList></Request>";
}

// One IN condition over `items` values.
std::string InListItems(int items) {
  std::string request = kHead + "<Condition><Group><Property Name=\"TC002\" Type=\"IN\" Value=\"";
  for (int i = 0; i < items; ++i) request += (i == 0 ? "" : ";") + std::to_string(i);
  return request + "\"/></Group></Condition></Request>";
}

// One condition property with `items` attributes.
std::string Attributes(int items) {
  std::string request = kHead + "<Condition><Group><Property Name=\"TC002\" Type=\"EQUAL\"";
  for (int i = 0; i < items; ++i) request += " a" + std::to_string(i) + "=\"1\"";
  return request + " Value=\"1\"/></Group></Condition></Request>";
}

const std::string kPlainRequest =
    kHead +
    "<Condition><Group><Property Name=\"TC035\" Type=\"EQUAL\" Value=\"N\"/></Group>"
    "</Condition><OrderList>TC001;TC002</OrderList></Request>";

// A request taken in and executed.
void Run(gateway::harness::RequestRoot& root, const std::string& request) {
  root.GetData().GetInputPool()->SetXML(request);
  root.GetData().Execute();
}

gateway::harness::RequestRoot& TheRoot() {
  static gateway::harness::RequestRoot root;
  return root;
}

template <std::string (*Make)(int)>
void BM_Request(benchmark::State& state) {
  const std::string request = Make(static_cast<int>(state.range(0)));
  gateway::harness::RequestRoot& root = TheRoot();
  for (auto _ : state) Run(root, request);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * request.size()));
  state.counters["request_KB"] = static_cast<double>(request.size()) / 1024.0;
}

// A plain request after one with `items` distinct element names: the pools
// of that request must not stay and slow every later one down.
void BM_PlainAfterManyNames(benchmark::State& state) {
  gateway::harness::RequestRoot& root = TheRoot();
  Run(root, RootChildren(static_cast<int>(state.range(0))));
  // The first plain request ends the pools of the large one, untimed.
  Run(root, kPlainRequest);
  for (auto _ : state) Run(root, kPlainRequest);
  state.counters["input_pools"] = root.GetData().GetInputPool()->Pools().Count();
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Request<ConditionItems>)->Name("BM_ConditionItems")->Apply(Sizes);
BENCHMARK(BM_Request<RootChildren>)->Name("BM_RootChildren")->Apply(Sizes);
BENCHMARK(BM_Request<Attributes>)->Name("BM_Attributes")->Apply(Sizes);
BENCHMARK(BM_Request<PropertyListItems>)->Name("BM_PropertyListItems")->Apply(Sizes);
BENCHMARK(BM_Request<InListItems>)->Name("BM_InListItems")->Apply(Sizes);
BENCHMARK(BM_Request<OrderListItems>)->Name("BM_OrderListItems")->Apply(Sizes);
BENCHMARK(BM_PlainAfterManyNames)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
