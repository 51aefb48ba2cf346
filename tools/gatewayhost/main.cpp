// gatewayhost: runs one business-object module the way a gateway does.
// The request-running part arrives with the business object; for now the tool
// only tells how it will be used.
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: gatewayhost --library ROOT/Bin/PurchaseOrder.so [--init TEXT | --init-file FILE]\n"
    "                   [--operator NAME|INDEX] [--output FILE | --output-dir DIR]\n"
    "                   [--encoding UTF-8|GB2312] REQUEST...\n"
    "\n"
    "Loads the module, initialises its business object, gives each REQUEST (a file,\n"
    "or - for standard input) to the operator's input pool, executes the operator and\n"
    "writes the output pool's XML.\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  std::fputs(kUsage, stderr);
  std::fputs("gatewayhost: running requests is not available in this build yet\n", stderr);
  return 2;
}
