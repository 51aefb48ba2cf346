// The check of a request fragment before it is pasted into a statement: a
// column expression, an order list or a restriction must stay one expression
// of the statement it goes into, whatever its quoting. Built on the SQL
// tokenizer, so a quote inside a quoted name ([a']) or a literal never puts
// the check out of step with the database.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

enum class SqlFragmentKind {
  // One column expression: a name, a bracketed, quoted or qualified name, or a
  // function call over columns and numbers. No literal, no sub-query, no
  // comma outside parentheses.
  kColumn,
  // Column expressions joined by commas, each optionally followed by ASC or
  // DESC (an order list).
  kColumnList,
  // A condition: literals and parenthesised sub-queries are allowed, a set
  // operator (UNION, INTERSECT, EXCEPT) only inside parentheses.
  kRestriction,
};

// Why `fragment` cannot go into a statement as a `kind`, in a few words
// ("a comment", "the word UNION outside parentheses"); empty when it can.
// Every fragment has parentheses that never close more than they opened and
// all close by its end, and holds no statement separator, no comment, no
// unclosed quote and no lone "$" (which would begin a PostgreSQL dollar quote).
std::string SqlFragmentProblem(std::string_view fragment, SqlFragmentKind kind);

}  // namespace gateway
