#include "text/SqlFragment.h"

#include <array>

#include "text/SqlTokens.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// Words that begin or join statements. A column expression holds none of
// them; a restriction may hold SELECT (a sub-query) and, inside parentheses,
// the set operators.
constexpr std::array<std::string_view, 16> kStatementWords = {
    "SELECT", "UNION",   "INTERSECT", "EXCEPT", "INSERT", "UPDATE",  "DELETE", "DROP",
    "ALTER",  "CREATE",  "EXEC",      "EXECUTE", "INTO",  "DECLARE", "MERGE",  "TRUNCATE"};

bool IsSetOperator(const SqlToken& token) {
  return IsSqlWord(token, "UNION") || IsSqlWord(token, "INTERSECT") || IsSqlWord(token, "EXCEPT");
}

std::string_view StatementWord(const SqlToken& token) {
  if (token.kind != SqlTokenKind::kWord) return {};
  for (std::string_view word : kStatementWords) {
    if (SameTextAscii(token.text, word)) return word;
  }
  return {};
}

// A backslash before an apostrophe ends a literal for some engines (a
// PostgreSQL E'...' string, or any literal without standard conforming
// strings) and not for others: the two readings would disagree on where the
// literal ends.
bool HasEscapedApostrophe(std::string_view literal) {
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == '\\' && literal[i + 1] == '\'') return true;
  }
  return false;
}

}  // namespace

std::string SqlFragmentProblem(std::string_view fragment, SqlFragmentKind kind) {
  const std::vector<SqlToken> tokens = TokenizeSql(fragment);
  int depth = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    switch (token.kind) {
      case SqlTokenKind::kSeparator:
        return "a semicolon";
      case SqlTokenKind::kComment:
        return "a comment";
      case SqlTokenKind::kDollar:
        return "a dollar sign";
      case SqlTokenKind::kOpen:
        ++depth;
        break;
      case SqlTokenKind::kClose:
        if (--depth < 0) return "a parenthesis that closes nothing";
        break;
      case SqlTokenKind::kQuotedName:
        if (!token.closed) return "a quoted name that does not end";
        break;
      case SqlTokenKind::kLiteral:
        if (kind != SqlFragmentKind::kRestriction) return "an apostrophe";
        if (!token.closed) return "a literal that does not end";
        if (HasEscapedApostrophe(token.text)) return "a backslash before an apostrophe";
        // E'...' reads backslashes as escapes on PostgreSQL.
        if (i > 0 && (IsSqlWord(tokens[i - 1], "E"))) return "an E'...' literal";
        break;
      case SqlTokenKind::kComma:
        if (kind == SqlFragmentKind::kColumn && depth == 0) return "a comma outside parentheses";
        break;
      case SqlTokenKind::kSymbol:
        // SQL Server reads "]]" inside a bracketed name as one "]"; other
        // engines end the name at the first "]".
        if (token.text == "]") return "a bracket that closes nothing";
        break;
      case SqlTokenKind::kWord: {
        const std::string_view word = StatementWord(token);
        if (word.empty()) break;
        if (kind != SqlFragmentKind::kRestriction) return "the word " + std::string(word);
        if (IsSetOperator(token)) {
          if (depth == 0) return "the word " + std::string(word) + " outside parentheses";
        } else if (word != "SELECT") {
          return "the word " + std::string(word);
        }
        break;
      }
      default:
        break;
    }
  }
  if (depth != 0) return "a parenthesis that does not close";
  return {};
}

}  // namespace gateway
