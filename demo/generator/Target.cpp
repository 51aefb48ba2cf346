#include "Target.h"

#include <stdexcept>

namespace gateway::demo {

RowSink::~RowSink() = default;
Target::~Target() = default;

void Insert::Next() {
  if (bound_ >= static_cast<int>(table_.columns.size())) {
    throw std::logic_error(std::string("too many values for ") + table_.name);
  }
  ++bound_;
}

Insert& Insert::Text(std::string_view value) {
  Next();
  sink_->Text(value);
  return *this;
}

Insert& Insert::Integer(int64_t value) {
  Next();
  sink_->Integer(value);
  return *this;
}

Insert& Insert::Fixed(int64_t units, int digits) {
  Next();
  sink_->Fixed(units, digits);
  return *this;
}

Insert& Insert::Null() {
  Next();
  sink_->Null();
  return *this;
}

void Insert::Row() {
  if (bound_ != static_cast<int>(table_.columns.size())) {
    throw std::logic_error(std::string("a row of ") + table_.name + " has " +
                           std::to_string(bound_) + " values for " +
                           std::to_string(table_.columns.size()) + " columns");
  }
  bound_ = 0;
  sink_->Row();
}

}  // namespace gateway::demo
