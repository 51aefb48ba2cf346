// demo_generator: creates a demo gateway root with an SQLite ERP database of
// purchase orders (and one database per factory), the gateway configuration,
// the registry stand-in, the purchase-order metadata and, when given, the module.
//
//   demo_generator --root DIR [--orders N] [--lines-per-order M] [--seed S] [--module PATH]
//
// Running it again on the same root replaces the databases and files it
// writes; logs and anything else in the root are left alone.

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ErpDatabase.h"
#include "RootFiles.h"

namespace {

constexpr const char* kUsage =
    "usage: demo_generator --root DIR [--orders N] [--lines-per-order M] [--seed S] "
    "[--module PATH] [--odbc CONNECTION]\n"
    "  --root DIR             the gateway root to create (made with its parents)\n"
    "  --orders N             purchase orders in each database, 1 to 1000000 (default 200)\n"
    "  --lines-per-order M    lines of each order, 1 to 9999 (default 5)\n"
    "  --seed S               seed of the data; the same seed gives the same data (default 1)\n"
    "  --module PATH          the module to copy to DIR/Bin/PurchaseOrder.so\n"
    "  --odbc CONNECTION      write the ERP data into the PostgreSQL database this ODBC\n"
    "                         connection string reaches instead of SQLite files: the main\n"
    "                         company in its default schema, each factory in a schema named\n"
    "                         as its database in KVTMB; GatewayConfig.ini then names it\n";

struct Options {
  std::string root;
  std::string module;
  std::string odbc;
  gateway::demo::Size size{200, 5, 1};
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

uint64_t Number(std::string_view option, std::string_view text, uint64_t low, uint64_t high) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high) + ", not '" + std::string(text) + "'");
  }
  return value;
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (i + 1 >= argc) throw UsageError("unknown option or missing value: " + std::string(option));
    const std::string_view value = argv[++i];
    if (option == "--root") {
      options.root = value;
    } else if (option == "--module") {
      options.module = value;
    } else if (option == "--odbc") {
      options.odbc = value;
    } else if (option == "--orders") {
      options.size.orders = static_cast<int64_t>(Number(option, value, 1, 1000000));
    } else if (option == "--lines-per-order") {
      options.size.lines_per_order = static_cast<int>(Number(option, value, 1, 9999));
    } else if (option == "--seed") {
      options.size.seed = Number(option, value, 0, UINT64_MAX);
    } else {
      throw UsageError("unknown option: " + std::string(option));
    }
  }
  if (options.root.empty()) throw UsageError("--root DIR is required");
  return options;
}

void Generate(const Options& options) {
  namespace fs = std::filesystem;
  using namespace gateway::demo;
  const auto start = std::chrono::steady_clock::now();
  // Absolute, because the registry file hands the root to the module as the log base.
  const std::string root = fs::weakly_canonical(fs::absolute(options.root)).string();
  if (!options.module.empty() && !fs::is_regular_file(options.module)) {
    throw std::runtime_error("the module " + options.module + " is not a file");
  }
  fs::create_directories(root);
  if (!options.module.empty()) CopyModule(options.module, root);
  const std::vector<Site> sites = DemoSites(root);
  const bool on_server = !options.odbc.empty();
  for (const Site& site : sites) {
    fs::remove(site.path);
    fs::remove(site.path + "-journal");
  }
  // The databases are independent: each is written on a thread of its own.
  std::vector<std::future<void>> writers;
  for (const Site& site : sites) {
    writers.push_back(std::async(std::launch::async, WriteErpDatabase, std::cref(site),
                                 std::cref(options.size), std::cref(options.odbc)));
  }
  std::exception_ptr failure;
  for (std::future<void>& writer : writers) {
    try {
      writer.get();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) {
    // Half a root is worse than none.
    std::error_code ignored;
    for (const Site& site : sites) fs::remove(site.path, ignored);
    std::rethrow_exception(failure);
  }
  if (on_server) {
    WriteGatewayConfig(root, "Provider=MSDASQL;" + options.odbc);
  } else {
    WriteGatewayConfig(root);
  }
  WriteRegistry(root);
  WriteMetadata(root);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int64_t lines = options.size.orders * options.size.lines_per_order;
  std::printf("demo gateway root: %s\n", root.c_str());
  for (const Site& site : sites) {
    const std::string where = !on_server        ? fs::path(site.path).filename().string()
                              : site.schema.empty() ? std::string("default schema")
                                                    : "schema " + site.schema;
    std::printf("  %s (%s): %lld orders, %lld lines\n", where.c_str(), site.company.c_str(),
                static_cast<long long>(options.size.orders), static_cast<long long>(lines));
  }
  std::printf("generated in %.2f s (seed %llu)\n", seconds,
              static_cast<unsigned long long>(options.size.seed));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Generate(Parse(argc, argv));
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "demo_generator: %s\n%s", error.what(), kUsage);
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "demo_generator: %s\n", error.what());
    return 1;
  }
}
