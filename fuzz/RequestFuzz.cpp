// libFuzzer target for the request path: arbitrary bytes go through what
// happens to a request on its way in. The host's encoding decision reads
// them as request bytes; the module takes the text (the decoded one, or the
// raw bytes when the host would refuse them: the module must stand any text
// a host hands it) into the "GetData" operator's input pool and executes it
// in a gateway root without a database, so every part of the request is
// read, checked and turned into SQL, and the response is produced. The SQL
// fragment checks and the XML shape counter also read the raw text. Any
// crash, sanitizer report or exception other than the library's own
// failures is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/Parameters.h"
#include "fuzz/RequestRoot.h"
#include "gateway/Exception.h"
#include "gatewayhost/HostEncoding.h"
#include "text/SqlFragment.h"
#include "text/SqlTokens.h"
#include "text/XmlShape.h"

namespace {

// The tokens give the text back, and a restriction the check accepts stays
// inside the parentheses it is pasted into: its tokens, read as the
// statement's tail, never close them. A breach is a finding, not an answer.
void ReadAsFragments(std::string_view text) {
  std::string joined;
  for (const gateway::SqlToken& token : gateway::TokenizeSql(text)) joined += token.text;
  if (joined != text) __builtin_trap();
  (void)gateway::ReplaceSqlPrefixMarker(text, "DB.");
  (void)gateway::ParseParameterMarkers(text, nullptr);
  for (const auto kind : {gateway::SqlFragmentKind::kColumn, gateway::SqlFragmentKind::kColumnList,
                          gateway::SqlFragmentKind::kRestriction}) {
    (void)gateway::SqlFragmentProblem(text, kind);
  }
  if (!gateway::SqlFragmentProblem(text, gateway::SqlFragmentKind::kRestriction).empty()) return;
  const std::string pasted = "where (" + std::string(text) + ") order by TC001";
  int depth = 0;
  for (const gateway::SqlToken& token : gateway::TokenizeSql(pasted)) {
    if (token.kind == gateway::SqlTokenKind::kOpen) ++depth;
    if (token.kind == gateway::SqlTokenKind::kClose) --depth;
    if (token.kind == gateway::SqlTokenKind::kComment ||
        token.kind == gateway::SqlTokenKind::kSeparator) {
      __builtin_trap();
    }
    if (depth == 0 && gateway::IsSqlWord(token, "order")) return;  // the statement's own tail
    if (depth == 0 && token.kind != gateway::SqlTokenKind::kBlank &&
        !gateway::IsSqlWord(token, "where") && token.kind != gateway::SqlTokenKind::kClose) {
      __builtin_trap();
    }
  }
  __builtin_trap();  // the statement's tail was swallowed
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static gateway::harness::RequestRoot root;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string text = bytes;
  try {
    text = gateway::host::DecodeRequestBytes(bytes);
  } catch (const gateway::host::EncodingError&) {
    // The host would refuse them; the module still has to stand them.
  }
  (void)gateway::MeasureXmlShape(text);
  ReadAsFragments(text);
  gateway::TBaseOperater& get_data = root.GetData();
  try {
    get_data.GetInputPool()->SetXML(text);
    get_data.Execute();
    (void)get_data.GetOutputPool()->GetXML();
  } catch (const gateway::Exception&) {
    // A failure the library reports to its host is an answer, not a finding.
  }
  return 0;
}
