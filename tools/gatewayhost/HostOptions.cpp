#include "gatewayhost/HostOptions.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace gateway::host {

namespace {

const char kUsage[] =
    "usage: gatewayhost --library ROOT/Bin/PurchaseOrder.so [--init TEXT | --init-file FILE]\n"
    "                   [--operator NAME|INDEX] [--output FILE | --output-dir DIR]\n"
    "                   [--encoding UTF-8|GB2312] [--view] [--view-rows N] [--dry-run]\n"
    "                   REQUEST...\n"
    "       gatewayhost --version [--library ROOT/Bin/PurchaseOrder.so]\n"
    "       gatewayhost --help\n";

// Follows the usage in --help.
const char kExplanation[] =
    "\n"
    "Runs one business-object module the way a gateway does. The module is loaded,\n"
    "one business object is made and initialised, and each REQUEST is given to the\n"
    "chosen operator's input pool; the operator is executed and its output pool's\n"
    "XML is written. Several requests run in order through the same business object\n"
    "and operator.\n"
    "\n"
    "Options:\n"
    "  --library FILE    The module to load. It must lie in a subfolder (such as Bin/)\n"
    "                    of a gateway root: it finds GatewayConfig.ini and its\n"
    "                    metadata (Obj/<module name>.xml) from its own location.\n"
    "  --init TEXT       The parameter text given to the business object's Initialize\n"
    "                    (e.g. '<Params><Factory>01</Factory></Params>'). Default: empty.\n"
    "  --init-file FILE  The same, read from FILE (- for standard input).\n"
    "  --operator NAME|INDEX\n"
    "                    The operator to run: a name, matched without regard to letter\n"
    "                    case, or a 0-based index. Default: GetData.\n"
    "  --output FILE     Write the response to FILE instead of standard output.\n"
    "  --output-dir DIR  Write the response to request N as DIR/response-N.xml,\n"
    "                    N counting from 1. Required with several requests; DIR is\n"
    "                    created when missing.\n"
    "  --encoding UTF-8|GB2312\n"
    "                    The encoding responses are written in. Default: UTF-8,\n"
    "                    as the module writes it. GB2312 rewrites the XML\n"
    "                    declaration to say encoding=\"GB2312\" and writes GB2312\n"
    "                    bytes only; a character GB2312 lacks (a traditional form\n"
    "                    such as U+88FD, an emoji, another script) is written as an\n"
    "                    XML character reference (&#x88FD;), which every XML reader\n"
    "                    turns back into it.\n"
    "  --view            Also print each response for a person on standard output:\n"
    "                    each DataSet as a table (the Field names over one line per\n"
    "                    Row, values cut at the request's Seperator, columns lined\n"
    "                    up), a Help description with its memos, methods and\n"
    "                    property table, then Error and Status. The XML is written\n"
    "                    unchanged, so it needs --output or --output-dir. The view\n"
    "                    is UTF-8.\n"
    "  --view-rows N     --view showing at most the first N rows of each table\n"
    "                    (with the number of rows it holds).\n"
    "  --dry-run         Look without handing over: every request runs in full and\n"
    "                    its response is written, rows and all, but its hand-over\n"
    "                    is abandoned (rolled back), so no order is marked. See\n"
    "                    \"Dry run\" below.\n"
    "  --version         Print the host's version and, with --library, the module's.\n"
    "  --help            Print this text and exit.\n"
    "  --                End of options: every later argument is a REQUEST.\n"
    "Options take their value as the next argument or after '=' (--operator=Help).\n"
    "\n"
    "Requests:\n"
    "  Each REQUEST is a file, or - for standard input (at most once). Its bytes are\n"
    "  read in the encoding its XML declaration names (encoding=\"GB2312\", as legacy\n"
    "  peers send them, read as CP936), and without a declaration as UTF-8, as XML\n"
    "  has it; a byte-order mark (UTF-8, UTF-16) decides by itself and is dropped.\n"
    "  Every request and the parameter text are read before the module is loaded,\n"
    "  so a missing or empty request file, or bytes its encoding does not hold,\n"
    "  stop the run before any request has run.\n"
    "\n"
    "Warnings:\n"
    "  What the module carries on without but a person should know (no\n"
    "  GatewayConfig.ini or metadata file where it looked, a request element it does\n"
    "  not read, such as <Separator> for <Seperator>) is printed on standard error as\n"
    "  \"gatewayhost: warning: <text>\"; it changes neither the response nor the exit\n"
    "  status. The module also writes it to its trace log.\n"
    "\n"
    "Dry run:\n"
    "  With --dry-run the hand-over of each response is abandoned as soon as the\n"
    "  response has been read: nothing is marked, and the next request returns the\n"
    "  same orders. The response is written as the module gave it, then a last line\n"
    "    <?gatewayhost-dry-run nothing in this response was handed over?>\n"
    "  (a processing instruction after the Service element: readers of its elements\n"
    "  pass over it; grep or the XPath processing-instruction('gatewayhost-dry-run')\n"
    "  find it). Status stays what the module said, and for each response\n"
    "  \"gatewayhost: request 'FILE': dry run: nothing was handed over\" is printed on\n"
    "  standard error. The exit status means what it means without --dry-run: 0\n"
    "  when every response says Status 0. The operator must offer the confirm step\n"
    "  (IHandOver, as GetData does). One that does not, such as Help, is refused\n"
    "  with exit status 1 before any request runs: the host cannot keep it from\n"
    "  handing over whatever it hands over. Run it without --dry-run.\n"
    "\n"
    "Exit status:\n"
    "  0  every request ran, its response was written and says Status 0.\n"
    "  1  a failure reached the host: the module could not be loaded, the business\n"
    "     object raised, a request could not be read, a response could not be\n"
    "     converted or written, or its hand-over not confirmed (its orders are then\n"
    "     not handed over), or --dry-run named an operator without the confirm step.\n"
    "     One line \"gatewayhost: <message>\" on standard error tells which;\n"
    "     responses of the requests before it are already written.\n"
    "  2  the command line is wrong; the usage is printed on standard error.\n"
    "  3  every response was written, but at least one reports a failure inside the\n"
    "     operator (a Status other than 0, or no Status at all). For each such\n"
    "     response one line \"gatewayhost: request 'FILE': Status <code>: <Error>\" is\n"
    "     printed on standard error.\n"
    "\n"
    "Examples:\n"
    "  gatewayhost --library /srv/gw/Bin/PurchaseOrder.so --operator Help \\\n"
    "              --output help.xml --view -\n"
    "  gatewayhost --library /srv/gw/Bin/PurchaseOrder.so --init-file params.xml \\\n"
    "              --output-dir out --encoding GB2312 req1.xml req2.xml\n"
    "  gatewayhost --library /srv/gw/Bin/PurchaseOrder.so --dry-run \\\n"
    "              --output look.xml --view-rows 20 getdata.xml\n";

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Strict parse of a 0-based operator index: digits only, within int32.
std::optional<int32_t> ParseIndex(std::string_view text) {
  if (!AllDigits(text)) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    throw UsageError("operator index " + std::string(text) + " is too large");
  return value;
}

// A count of rows to show: digits only.
size_t ParseRowCount(const std::string& text) {
  size_t value = 0;
  if (AllDigits(text)) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size()) return value;
  }
  throw UsageError("--view-rows needs a whole number of rows, not '" + text + "'");
}

// ASCII comparison without regard to case: the encoding names are ASCII.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

ResponseEncoding ParseEncoding(const std::string& text) {
  if (SameName(text, "UTF-8") || SameName(text, "UTF8")) return ResponseEncoding::kUtf8;
  if (SameName(text, "GB2312")) return ResponseEncoding::kGb2312;
  throw UsageError("unknown encoding '" + text + "' (use UTF-8 or GB2312)");
}

// Stores an option's value, refusing a second occurrence and, for the options
// that name something, an empty value.
void SetOnce(std::optional<std::string>& slot, const std::string& option, const std::string& value,
             bool may_be_empty) {
  if (slot) throw UsageError(option + " given more than once");
  if (value.empty() && !may_be_empty) throw UsageError(option + " needs a non-empty value");
  slot = value;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  std::optional<std::string> library, init_text, init_file, operater, output, output_dir, encoding,
      view_rows;
  std::vector<std::string> requests;
  bool view = false, dry_run = false, version = false, other_than_library = false;

  bool options_ended = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument == "-" || argument.rfind("-", 0) != 0) {
      requests.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") return CommandLine{true, false, {}};
    if (argument == "--version") {
      version = true;
      continue;
    }
    if (argument == "--view") {
      view = other_than_library = true;
      continue;
    }
    if (argument == "--dry-run") {
      dry_run = other_than_library = true;
      continue;
    }

    std::string name = argument;
    std::optional<std::string> value;
    if (const size_t equals = argument.find('=');
        argument.rfind("--", 0) == 0 && equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }

    struct Slot {
      const char* name;
      std::optional<std::string>* value;
      bool may_be_empty;
    };
    const Slot slots[] = {
        {"--library", &library, false},     {"--init", &init_text, true},
        {"--init-file", &init_file, false}, {"--operator", &operater, false},
        {"--output", &output, false},       {"--output-dir", &output_dir, false},
        {"--encoding", &encoding, false},   {"--view-rows", &view_rows, false},
    };
    const Slot* slot = nullptr;
    for (const Slot& candidate : slots)
      if (name == candidate.name) slot = &candidate;
    if (slot == nullptr) throw UsageError("unknown option " + name);
    if (!value) {
      if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
      value = arguments[++i];
    }
    SetOnce(*slot->value, name, *value, slot->may_be_empty);
    if (slot->value != &library) other_than_library = true;
  }

  if (version) {
    if (other_than_library || !requests.empty())
      throw UsageError("--version takes no option but --library, and no REQUEST");
    CommandLine result;
    result.version = true;
    result.options.library = library.value_or("");
    return result;
  }
  if (!library) throw UsageError("--library is required");
  if (init_text && init_file) throw UsageError("--init and --init-file exclude each other");
  if (output && output_dir) throw UsageError("--output and --output-dir exclude each other");
  if (requests.empty()) throw UsageError("no REQUEST given");
  if (requests.size() > 1 && !output_dir) throw UsageError("several requests need --output-dir");
  if ((view || view_rows) && !output && !output_dir)
    throw UsageError(
        "--view prints on standard output: give --output FILE or --output-dir DIR "
        "for the XML");
  const bool init_from_stdin = init_file && *init_file == "-";
  if (std::count(requests.begin(), requests.end(), "-") + (init_from_stdin ? 1 : 0) > 1)
    throw UsageError("standard input (-) can be read only once");

  CommandLine result;
  HostOptions& options = result.options;
  options.library = *library;
  options.init_text = init_text;
  options.init_file = init_file;
  if (operater) {
    options.operater.index = ParseIndex(*operater);
    options.operater.name = options.operater.index ? std::string() : *operater;
  }
  options.output = output.value_or("");
  options.output_dir = output_dir.value_or("");
  if (encoding) options.encoding = ParseEncoding(*encoding);
  options.view = view || view_rows;
  if (view_rows) options.view_rows = ParseRowCount(*view_rows);
  options.dry_run = dry_run;
  options.requests = std::move(requests);
  return result;
}

const char* UsageText() { return kUsage; }

const char* HelpText() {
  static const std::string help = std::string(kUsage) + kExplanation;
  return help.c_str();
}

}  // namespace gateway::host
