#include "data/Criterion.h"

#include <cstdint>
#include <string>

#include "config/Errors.h"
#include "data/ValueText.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

enum class Op { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual, kLike };
enum class Kind { kText, kInteger, kFloat, kScaled, kDate, kBoolean };

unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? u - 32 : u;
}

std::string_view TrimBlanksRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

int CompareFolded(std::string_view a, std::string_view b) {
  const size_t length = std::min(a.size(), b.size());
  for (size_t i = 0; i < length; ++i) {
    if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// "*" and "%" match any run of characters; letters match without regard to case.
bool WildMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0, star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
      star_p = p++;
      star_t = t;
    } else if (p < pattern.size() && Fold(pattern[p]) == Fold(text[t])) {
      ++p;
      ++t;
    } else if (star_p != std::string_view::npos) {
      p = star_p + 1;
      t = ++star_t;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
  return p == pattern.size();
}

template <class T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

struct Criterion::Node {
  enum class Type { kAnd, kOr, kCompare } type = Type::kCompare;
  std::shared_ptr<const Node> left, right;
  // Comparison.
  size_t column = 0;
  Op op = Op::kEqual;
  Kind kind = Kind::kText;
  bool null_value = false;
  std::string text;
  int64_t integer = 0;
  double number = 0;

  bool Evaluate(const RecordStore& store, uint32_t row) const {
    if (type == Type::kAnd) return left->Evaluate(store, row) && right->Evaluate(store, row);
    if (type == Type::kOr) return left->Evaluate(store, row) || right->Evaluate(store, row);
    const Column& c = store.ColumnAt(column);
    const bool is_null = c.IsNull(row);
    if (null_value) {
      if (op == Op::kEqual) return is_null;
      if (op == Op::kNotEqual) return !is_null;
      return false;
    }
    if (is_null) return false;
    int order = 0;
    if (kind == Kind::kText) {
      std::string buffer;
      std::string_view value;
      if (c.IsVariable() && !c.IsRaw(row)) {
        value = c.Bytes(row);
      } else {
        buffer = c.Text(row);
        value = buffer;
      }
      value = TrimBlanksRight(value);
      if (op == Op::kLike) return WildMatch(value, text);
      order = CompareFolded(value, text);
    } else {
      if (c.IsRaw(row)) return false;  // a value of the wrong type matches no typed constant
      switch (kind) {
        case Kind::kInteger:
        case Kind::kScaled:
        case Kind::kDate:
        case Kind::kBoolean:
          order = Order(c.FixedInteger(row), integer);
          break;
        case Kind::kFloat:
          order = Order(c.Float(row), number);
          break;
        default:
          break;
      }
    }
    switch (op) {
      case Op::kEqual:
        return order == 0;
      case Op::kNotEqual:
        return order != 0;
      case Op::kLess:
        return order < 0;
      case Op::kGreater:
        return order > 0;
      case Op::kLessEqual:
        return order <= 0;
      case Op::kGreaterEqual:
        return order >= 0;
      default:
        return false;
    }
  }
};

namespace {

class Parser {
 public:
  Parser(std::string_view text, const RecordStore& store) : text_(text), store_(store) {}

  std::shared_ptr<const Criterion::Node> ParseAll() {
    auto node = ParseOr();
    SkipBlanks();
    if (pos_ != text_.size()) Fail("unexpected text");
    return node;
  }

 private:
  using NodePtr = std::shared_ptr<const Criterion::Node>;

  [[noreturn]] void Fail(const std::string& what) const {
    throw EDatabaseError("Invalid criterion \"" + std::string(text_) + "\": " + what +
                         " at position " + std::to_string(pos_ + 1));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 0x20) ++pos_;
  }

  // True when the keyword stands at the current position as a word of its own.
  bool AcceptKeyword(std::string_view keyword) {
    SkipBlanks();
    if (text_.size() - pos_ < keyword.size()) return false;
    if (!SameTextAscii(text_.substr(pos_, keyword.size()), keyword)) return false;
    const size_t end = pos_ + keyword.size();
    if (end < text_.size()) {
      const char next = text_[end];
      if (!(static_cast<unsigned char>(next) <= 0x20 || next == '(' || next == '\'' ||
            next == '#')) {
        return false;
      }
    }
    pos_ = end;
    return true;
  }

  NodePtr Join(Criterion::Node::Type type, NodePtr left, NodePtr right) {
    auto node = std::make_shared<Criterion::Node>();
    node->type = type;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  NodePtr ParseOr() {
    NodePtr node = ParseAnd();
    while (AcceptKeyword("OR")) node = Join(Criterion::Node::Type::kOr, node, ParseAnd());
    return node;
  }

  NodePtr ParseAnd() {
    NodePtr node = ParsePrimary();
    while (AcceptKeyword("AND")) node = Join(Criterion::Node::Type::kAnd, node, ParsePrimary());
    return node;
  }

  NodePtr ParsePrimary() {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '(') {
      ++pos_;
      NodePtr node = ParseOr();
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != ')') Fail("\")\" expected");
      ++pos_;
      return node;
    }
    return ParseComparison();
  }

  std::string ParseName() {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '[') {
      const size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) Fail("\"]\" expected");
      std::string name(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
      return name;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > 0x20 &&
           std::string_view("<>=()'#").find(text_[pos_]) == std::string_view::npos) {
      ++pos_;
    }
    if (pos_ == start) Fail("field name expected");
    return std::string(text_.substr(start, pos_ - start));
  }

  Op ParseOperator() {
    SkipBlanks();
    if (AcceptKeyword("LIKE")) return Op::kLike;
    const std::string_view rest = text_.substr(pos_);
    struct Symbol {
      std::string_view text;
      Op op;
    };
    static constexpr Symbol kSymbols[] = {{"<>", Op::kNotEqual},  {"<=", Op::kLessEqual},
                                          {">=", Op::kGreaterEqual}, {"=", Op::kEqual},
                                          {"<", Op::kLess},        {">", Op::kGreater}};
    for (const Symbol& symbol : kSymbols) {
      if (rest.substr(0, symbol.text.size()) == symbol.text) {
        pos_ += symbol.text.size();
        return symbol.op;
      }
    }
    Fail("comparison operator expected");
  }

  // Reads the value; `quoted` tells whether it was delimited.
  std::string ParseValue(bool& quoted) {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("value expected");
    const char quote = text_[pos_];
    quoted = quote == '\'' || quote == '#';
    if (quoted) {
      std::string value;
      ++pos_;
      while (true) {
        if (pos_ >= text_.size()) Fail("closing quote expected");
        const char c = text_[pos_++];
        if (c == quote) {
          // Two apostrophes in an apostrophe-quoted value stand for one.
          if (quote == '\'' && pos_ < text_.size() && text_[pos_] == '\'') {
            value += '\'';
            ++pos_;
            continue;
          }
          break;
        }
        value += c;
      }
      return value;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > 0x20 &&
           text_[pos_] != ')' && text_[pos_] != '(') {
      ++pos_;
    }
    return std::string(text_.substr(start, pos_ - start));
  }

  NodePtr ParseComparison() {
    const std::string name = ParseName();
    size_t column = store_.ColumnCount();
    for (size_t i = 0; i < store_.ColumnCount(); ++i) {
      if (SameTextAscii(store_.Defs()[i].Name, name)) {
        column = i;
        break;
      }
    }
    if (column == store_.ColumnCount()) Fail("unknown field '" + name + "'");
    auto node = std::make_shared<Criterion::Node>();
    node->column = column;
    node->op = ParseOperator();
    bool quoted = false;
    std::string value = ParseValue(quoted);
    if (!quoted && SameTextAscii(value, "Null")) {
      node->null_value = true;
      return node;
    }
    const FieldType type = store_.ColumnAt(column).Type();
    bool valid = true;
    if (node->op == Op::kLike || IsTextType(type) || IsBinaryType(type) || type == ftUnknown) {
      node->kind = Kind::kText;
      node->text = std::string(TrimBlanksRight(value));
    } else if (type == ftFMTBcd || type == ftFloat) {
      node->kind = Kind::kFloat;
      valid = ParseFloat(value, node->number);
    } else if (IsIntegerType(type)) {
      node->kind = Kind::kInteger;
      if (!ParseInteger(value, node->integer)) {
        // A fraction compares as a number: "n > 1.5" still means something.
        node->kind = Kind::kFloat;
        valid = ParseFloat(value, node->number);
      }
    } else if (type == ftCurrency || type == ftBCD) {
      node->kind = Kind::kScaled;
      valid = ParseScaled(value, node->integer);
    } else if (IsDateTimeType(type)) {
      node->kind = Kind::kDate;
      DateTime date;
      valid = ParseIsoDateTime(value, date);
      node->integer = date.ToMilliseconds();
    } else if (type == ftBoolean) {
      node->kind = Kind::kBoolean;
      bool flag = false;
      valid = ParseBoolean(value, flag);
      node->integer = flag ? 1 : 0;
    } else {
      Fail("field '" + name + "' cannot be compared");
    }
    if (!valid) {
      Fail("'" + value + "' is not a valid " + FieldTypeName(type) + " value for field '" + name +
           "'");
    }
    return node;
  }

  std::string_view text_;
  const RecordStore& store_;
  size_t pos_ = 0;
};

}  // namespace

Criterion Criterion::Parse(std::string_view text, const RecordStore& store) {
  Criterion criterion;
  criterion.root_ = Parser(text, store).ParseAll();
  return criterion;
}

bool Criterion::Matches(const RecordStore& store, uint32_t row) const {
  return root_->Evaluate(store, row);
}

}  // namespace gateway
