// The "GetData" operators. TGetDataOperaterBase names the operator and owns
// its pools; TDataSetGetDataOperaterBase prepares a result set and hands it to
// the output's "Data" pool; TGetDataOperater builds the result set's SELECT
// around a base statement a descendant supplies, from the request's
// "PropertyList", "Condition", "AgentOption" and "OrderList".
#pragma once

#include <string>
#include <vector>

#include "business/BaseOperater.h"

namespace gateway {

class DataSet;

class TGetDataOperaterBase : public TBaseOperater {
 public:
  using TBaseOperater::TBaseOperater;
  std::string GetName() override { return "GetData"; }
  TInputPool* GetInputPool() override { return OwnedInputPool(); }
  TOutputPool* GetOutputPool() override { return OwnedOutputPool(); }
};

class TDataSetGetDataOperaterBase : public TGetDataOperaterBase {
 public:
  // Puts a "Data" pool into the output.
  explicit TDataSetGetDataOperaterBase(TBusinessBase* business);

  // The result set of the last query; owned by the data controller.
  DataSet* GetDataSet() const { return data_set_; }

 protected:
  void BeforeExecute(bool& continue_execution) override;
  void DoExecute() override;
  void AfterExecute() override;
  // Obtains the result set; the base raises the not-implemented error.
  virtual void PrepareDataSet();
  // Binds the result set and the requested columns to the "Data" pool.
  virtual void PrepareOutput();
  // Raises -9007 without a result set; for a closed one, the data layer's error
  // followed by what the database said.
  void CheckDataSet() const;

  DataSet* data_set_ = nullptr;
};

class TGetDataOperater : public TDataSetGetDataOperaterBase {
 public:
  using TDataSetGetDataOperaterBase::TDataSetGetDataOperaterBase;

  // The lines of the base SELECT statement; descendants fill it.
  std::vector<std::string> BaseSQL;

 protected:
  void PrepareDataSet() override;
  // Runs the outer statement; the default opens it through the data
  // controller's QueryData (a statement that fails gives a closed result).
  virtual DataSet* OpenDataSet(const std::string& statement);
};

}  // namespace gateway
