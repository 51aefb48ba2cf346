// A small SQL tokenizer for the statements this library writes and the request
// fragments it pastes into them. It knows the quoting forms of every dialect in
// use (SQL Server, SQLite, PostgreSQL): string literals '...' (a doubled
// apostrophe stays inside), quoted names "..." and `...` (a doubled quote stays
// inside) and [...], comments (-- to the end of the line, /* ... */), and the
// database prefix marker "$$". It only splits text: it never refuses anything,
// and the tokens joined again give the text back byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gateway {

enum class SqlTokenKind {
  kBlank,        // blanks and control characters
  kWord,         // a name, keyword or number: letters, digits, _ @ # $ and non-ASCII bytes
  kLiteral,      // '...'
  kQuotedName,   // "...", [...] or `...`
  kComment,      // -- ... or /* ... */
  kPrefix,       // "$$", the company database prefix marker
  kDollar,       // a "$" that begins no word and is no marker
  kOpen,         // (
  kClose,        // )
  kSeparator,    // ;
  kComma,        // ,
  kSymbol,       // any other character (operators, dots, ...)
};

struct SqlToken {
  SqlTokenKind kind;
  std::string_view text;
  // For literals, quoted names and block comments: false when the text ends
  // before the closing quote, bracket or "*/".
  bool closed = true;
};

// The tokens of `sql`, in order; views into `sql`.
std::vector<SqlToken> TokenizeSql(std::string_view sql);

// `sql` with every "$$" marker token replaced by `prefix`; a "$$" inside a
// literal, a quoted name or a comment is text and stays as it is.
std::string ReplaceSqlPrefixMarker(std::string_view sql, std::string_view prefix);

// True for a word token equal to `word` without regard to ASCII letter case.
bool IsSqlWord(const SqlToken& token, std::string_view word);

}  // namespace gateway
