// TDataPool: carries a result table. It is bound to a dataset (not owned) and
// writes the dataset's rows as row XML, or replaces them with the rows of row
// XML, through the data controller's conversions. Its element is always "Data".
#pragma once

#include <string>
#include <vector>

#include "pools/BasePool.h"

namespace gateway {

class DataSet;

// Options of the temporary-table export: a filter without the word "where" and
// an ordering without "Order by".
struct TTempTableOptions {
  std::string Where;
  std::string OrderBy;
};

class TDataPool : public TBasePool {
 public:
  TDataPool();

  DataSet* GetDataSet() const { return data_set_; }
  void SetDataSet(DataSet* data_set) { data_set_ = data_set; }

  // Columns to write or read, in order; empty means every column.
  const std::vector<std::string>& FieldList() const { return field_list_; }
  // Copies the list, only when it differs from the current one.
  void SetFieldList(const std::vector<std::string>& fields);

  // Write through the distinct select over a temporary table instead.
  bool UseTempTable = false;
  TTempTableOptions TempTableOptions;

  // The rows are written straight into the response unless something wants
  // to see or change this pool's own text (handlers, the trace log) or the
  // temporary-table export is used.
  bool CanAppendResponseXML() const override;
  bool AppendResponseXML(std::string& out) override;

 protected:
  void ToXML(std::string& xml) override;
  void FromXML(const std::string& xml) override;

 private:
  DataSet* data_set_ = nullptr;
  std::vector<std::string> field_list_;
};

}  // namespace gateway
