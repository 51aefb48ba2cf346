#include "text/SqlTokens.h"

#include "text/TextCase.h"

namespace gateway {

namespace {

bool IsWordByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '#' || byte >= 0x80;
}

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }

// The end of a quoted span opened at `start` and closed by `close`; a doubled
// `close` stays inside when `doubling` is set.
size_t QuotedEnd(std::string_view sql, size_t start, char close, bool doubling, bool& closed) {
  size_t i = start + 1;
  while (i < sql.size()) {
    if (sql[i] == close) {
      if (doubling && i + 1 < sql.size() && sql[i + 1] == close) {
        i += 2;
        continue;
      }
      closed = true;
      return i + 1;
    }
    ++i;
  }
  closed = false;
  return sql.size();
}

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
  std::vector<SqlToken> tokens;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
    SqlTokenKind kind = SqlTokenKind::kSymbol;
    size_t end = i + 1;
    bool closed = true;
    if (IsBlankByte(c)) {
      kind = SqlTokenKind::kBlank;
      while (end < sql.size() && IsBlankByte(sql[end])) ++end;
    } else if (c == '\'') {
      kind = SqlTokenKind::kLiteral;
      end = QuotedEnd(sql, i, '\'', true, closed);
    } else if (c == '"' || c == '`') {
      kind = SqlTokenKind::kQuotedName;
      end = QuotedEnd(sql, i, c, true, closed);
    } else if (c == '[') {
      kind = SqlTokenKind::kQuotedName;
      end = QuotedEnd(sql, i, ']', false, closed);
    } else if (c == '-' && next == '-') {
      kind = SqlTokenKind::kComment;
      end = sql.find('\n', i);
      end = end == std::string_view::npos ? sql.size() : end + 1;
    } else if (c == '/' && next == '*') {
      kind = SqlTokenKind::kComment;
      end = sql.find("*/", i + 2);
      closed = end != std::string_view::npos;
      end = closed ? end + 2 : sql.size();
    } else if (c == '$') {
      kind = next == '$' ? SqlTokenKind::kPrefix : SqlTokenKind::kDollar;
      end = next == '$' ? i + 2 : i + 1;
    } else if (IsWordByte(c)) {
      kind = SqlTokenKind::kWord;
      // A single "$" belongs to a name (a$b); "$$" is always the marker.
      while (end < sql.size() &&
             (IsWordByte(sql[end]) ||
              (sql[end] == '$' && (end + 1 >= sql.size() || sql[end + 1] != '$')))) {
        ++end;
      }
    } else if (c == '(') {
      kind = SqlTokenKind::kOpen;
    } else if (c == ')') {
      kind = SqlTokenKind::kClose;
    } else if (c == ';') {
      kind = SqlTokenKind::kSeparator;
    } else if (c == ',') {
      kind = SqlTokenKind::kComma;
    }
    tokens.push_back({kind, sql.substr(i, end - i), closed});
    i = end;
  }
  return tokens;
}

std::string ReplaceSqlPrefixMarker(std::string_view sql, std::string_view prefix) {
  std::string replaced;
  replaced.reserve(sql.size());
  for (const SqlToken& token : TokenizeSql(sql)) {
    replaced += token.kind == SqlTokenKind::kPrefix ? prefix : token.text;
  }
  return replaced;
}

bool IsSqlWord(const SqlToken& token, std::string_view word) {
  return token.kind == SqlTokenKind::kWord && SameTextAscii(token.text, word);
}

}  // namespace gateway
