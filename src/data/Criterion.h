// A find or filter criterion parsed once and tested against the rows of a
// result: comparisons "name op value" joined with AND and OR, with parentheses.
// Names may be bracketed ("[Unit Price]"); operators are =, <>, <, >, <=, >=
// and LIKE (with "*" or "%" standing for any run of characters); values are
// quoted with apostrophes ('it''s') or number signs (#it's#), or written bare
// (numbers, True, False, Null). Texts compare without regard to ASCII letter
// case and trailing blanks, as a client cursor's find and filter do.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "data/RecordStore.h"

namespace gateway {

class Criterion {
 public:
  // Raises EDatabaseError for a syntax error, an unknown field or a value that
  // does not fit its field's type.
  static Criterion Parse(std::string_view text, const RecordStore& store);

  bool Matches(const RecordStore& store, uint32_t row) const;

  struct Node;

 private:
  std::shared_ptr<const Node> root_;
};

}  // namespace gateway
