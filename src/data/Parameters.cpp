#include "data/Parameters.h"

#include <algorithm>

#include "config/Errors.h"
#include "text/SqlTokens.h"
#include "text/TextCase.h"

namespace gateway {

Parameter::~Parameter() = default;

void Parameter::SetValue(const DataValue& value) { value_ = value; }

void Parameter::Assign(const Parameter& other) {
  name_ = other.name_;
  data_type_ = other.data_type_;
  size_ = other.size_;
  numeric_scale_ = other.numeric_scale_;
  precision_ = other.precision_;
  direction_ = other.direction_;
  attributes_ = other.attributes_;
  value_ = other.value_;
}

Parameters::~Parameters() = default;

std::unique_ptr<Parameter> Parameters::CreateItem() { return std::make_unique<Parameter>(this); }

Parameter& Parameters::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw EDatabaseError("Parameter index " + std::to_string(index) +
                         " out of range (there are " + std::to_string(Count()) + " parameters)");
  }
  return *items_[static_cast<size_t>(index)];
}

Parameter& Parameters::Add(std::string name) {
  items_.push_back(CreateItem());
  items_.back()->SetName(std::move(name));
  return *items_.back();
}

Parameter* Parameters::FindParam(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameTextAscii(item->Name(), name)) return item.get();
  }
  return nullptr;
}

Parameter& Parameters::ParamByName(std::string_view name) const {
  Parameter* item = FindParam(name);
  if (item == nullptr) throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
  return *item;
}

void Parameters::Assign(const Parameters& other) {
  if (&other == this) return;
  items_.clear();
  for (const auto& item : other.items_) Add().Assign(*item);
}

std::string Parameters::ParseSQL(std::string_view sql, bool create) {
  std::vector<std::string> names;
  std::string text = ParseParameterMarkers(sql, &names);
  if (create) {
    items_.clear();
    for (std::string& name : names) Add(std::move(name));
  }
  return text;
}

std::string ParseParameterMarkers(std::string_view sql, std::vector<std::string>* names) {
  auto ends_name = [](char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
  };
  // Markers stand in the statement's own text: a colon inside a literal, a
  // quoted name or a comment is text, read as the database reads it. ("::"
  // still stands for ":" outside literals, as it always has.)
  enum class Span : char { kCode, kLiteral, kOther };
  std::vector<Span> span(sql.size(), Span::kCode);
  for (const SqlToken& token : TokenizeSql(sql)) {
    const Span kind = token.kind == SqlTokenKind::kLiteral ? Span::kLiteral
                      : token.kind == SqlTokenKind::kQuotedName || token.kind == SqlTokenKind::kComment
                          ? Span::kOther
                          : Span::kCode;
    if (kind == Span::kCode) continue;
    const auto start = span.begin() + (token.text.data() - sql.data());
    std::fill(start, start + static_cast<std::ptrdiff_t>(token.text.size()), kind);
  }
  std::string text;
  text.reserve(sql.size());
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == ':' && span[i] != Span::kLiteral) {
      if (i + 1 < sql.size() && sql[i + 1] == ':') {
        text += ':';
        i += 2;
        continue;
      }
      size_t end = i + 1;
      while (end < sql.size() && span[i] == Span::kCode && span[end] == Span::kCode &&
             !ends_name(sql[end])) {
        ++end;
      }
      if (end == i + 1) {
        text += c;  // no name: an ordinary colon
        ++i;
        continue;
      }
      if (names != nullptr) names->emplace_back(sql.substr(i + 1, end - i - 1));
      text += '?';
      i = end;
    } else {
      text += c;
      ++i;
    }
  }
  return text;
}

}  // namespace gateway
