// TKvADOQuery: the query wrapper the data controller's queries derive from.
// It adds a command-timeout policy applied before every open and execution,
// parameters rebuilt from the named markers whenever the SQL text changes
// (values kept by name, types taken from the driver), field fix-ups after
// opening (writable definitions, no zero sizes, trailing blanks cut from
// character fields), and LocateKeys, a key search on a read-only clone that
// confirms text matches case-sensitively. TParam and TParams are the
// parameter item and collection it uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataValue.h"
#include "data/Parameters.h"
#include "data/Query.h"

namespace gateway {

enum TCommandTimeoutType : uint8_t {
  ctConnectionCommandTime,  // the connection's command timeout
  ctSelfCommandTime,        // the query's own CommandTimeout
  ctMaxCommandTime,         // the larger of the two
  ctMinCommandTime,         // the smaller of the two
};

// A parameter whose value, once written, fixes its size and is copied to every
// parameter of the same name in its collection.
class TParam : public Parameter {
 public:
  using Parameter::Parameter;
  void SetValue(const DataValue& value) override;
};

// The parameter collection of a TKvADOQuery; its items are TParam.
class TParams : public Parameters {
 public:
  TParam& Items(int index) const { return static_cast<TParam&>(Parameters::Items(index)); }

 protected:
  std::unique_ptr<Parameter> CreateItem() override;
};

// Options of LocateKeys.
enum LocateOption : uint8_t { loCaseInsensitive = 1, loPartialKey = 2 };
using LocateOptions = uint8_t;

class TKvADOQuery : public Query {
 public:
  TKvADOQuery();

  // The query's own timeout in seconds (default 30). The timeout a statement
  // runs with is GetEffectiveCommandTimeout(), worked out at each open and run.
  int CommandTimeout() const { return own_command_timeout_; }
  void SetCommandTimeout(int seconds) { own_command_timeout_ = seconds; }
  TCommandTimeoutType CommandTimeoutType() const { return command_timeout_type_; }
  void SetCommandTimeoutType(TCommandTimeoutType type) { command_timeout_type_ = type; }
  int GetConnectionCommandTimeout() const;
  int GetEffectiveCommandTimeout() const;

  // True exactly when the lock type is batch-optimistic.
  bool CachedUpdates() const { return GetLockType() == ltBatchOptimistic; }
  void SetCachedUpdates(bool cached);

  TParams& Params() { return static_cast<TParams&>(Query::Params()); }

  // Runs the statement with the effective timeout; returns the rows affected.
  int64_t ExecuteStatement();

  // Moves to the first record whose `key_fields` (';'-separated) hold
  // `key_values` (one per field). Text fields are confirmed byte for byte
  // unless loCaseInsensitive; with loPartialKey they need only begin with the
  // key. Errors during the search give false.
  bool LocateKeys(std::string_view key_fields, const std::vector<DataValue>& key_values,
                  LocateOptions options);

 protected:
  void SQLChanged() override;
  std::unique_ptr<Parameters> CreateParameters() override;
  void DoBeforeOpen() override;
  void InternalOpen() override;
  void InitFieldDefs() override;
  void AdjustFieldText(const Field& field, std::string& text) const override;

 private:
  void RebuildParameters(const std::string& text);
  void ApplyBCDSetting(Parameters& list) const;

  int own_command_timeout_ = 30;
  TCommandTimeoutType command_timeout_type_ = ctConnectionCommandTime;
};

// One find criterion for a field and a value: "(name op quote value quote)".
std::string BuildFindCriterion(const Field& field, const DataValue& value, bool partial);

// Closes every dataset attached to the connection, in index order.
void CloseDataSets(Connection& connection);

}  // namespace gateway
