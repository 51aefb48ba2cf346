// The "Help" operator and the generator behind it: they describe a business
// object to a host as one XML element "Object" (its identity and help lines,
// the operators it supports, and its property table), returned in an output
// pool named "Object". Also the interface through which a set-data operator
// states which kinds of change it supports, so the description can list them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "business/BaseOperater.h"

namespace gateway {

class TBusinessBase;

// The kinds of change a set-data operator may support, in set order: Insert
// is the lowest bit.
enum class TSetDataOperation : std::uint8_t { Insert, Delete, Update, Sync, Adjust };

// A set of TSetDataOperation.
class TSetDataOperations {
 public:
  constexpr TSetDataOperations() = default;
  constexpr TSetDataOperations(std::initializer_list<TSetDataOperation> operations) {
    for (TSetDataOperation operation : operations) bits_ |= Bit(operation);
  }

  constexpr bool Contains(TSetDataOperation operation) const {
    return (bits_ & Bit(operation)) != 0;
  }
  constexpr void Include(TSetDataOperation operation) { bits_ |= Bit(operation); }
  constexpr bool Empty() const { return bits_ == 0; }
  // The set as bits, Insert being bit 0.
  constexpr std::uint8_t Bits() const { return bits_; }

 private:
  static constexpr std::uint8_t Bit(TSetDataOperation operation) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(operation));
  }
  std::uint8_t bits_ = 0;
};

// Offered by a set-data operator (one named "SetData"): the help generator
// reaches it from the object the operator's GetObject returns. A "SetData"
// operator that does not offer it is described as supporting no operation.
class ISetDataOperations {
 public:
  virtual TSetDataOperations SupportedOperations() const = 0;

 protected:
  ~ISetDataOperations() = default;
};

// Builds the "Object" description of a business object from its current help
// record, operator list and property metadata. Made for one execution.
class THelpGenerator {
 public:
  explicit THelpGenerator(TBusinessBase& business) : business_(business) {}

  // The "Object" element as XML text, without a declaration: attributes ID,
  // Name and Desc (then Insert, Delete and Edit for a set-data operator that
  // supports them), "MemoList" with one "Memo" per help line, "MethodList"
  // with the operators GetData, SetData (with its "Operate" list) and Help
  // that the object has, then the property description table. Raises
  // gateway::Exception when the table is not well-formed XML.
  std::string Generate() const;

 private:
  TBusinessBase& business_;
};

// The "Help" operator: each execution appends one more "Object" pool (a
// TDefaultPool holding the generator's text) to the output. It reads no input.
class THelpOperater : public TBaseOperater {
 public:
  explicit THelpOperater(TBusinessBase* business) : TBaseOperater(business) {}

  std::string GetName() override { return "Help"; }
  TInputPool* GetInputPool() override { return OwnedInputPool(); }
  TOutputPool* GetOutputPool() override { return OwnedOutputPool(); }

 protected:
  void DoExecute() override;
};

}  // namespace gateway
