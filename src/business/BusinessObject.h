// TBusinessBase: a business object, a named container of operators with its
// property metadata and help record. Hosts reach it through IBusiness, whose
// reference counting is switched off: it lives until it is ended explicitly.
#pragma once

#include <memory>
#include <string>

#include "business/BusinessOperaterList.h"
#include "gateway/IBusiness.h"

namespace gateway {

class TDataController;
class TObjectHelp;
class TPropertyInfoList;

class TBusinessBase : public IBusiness {
 public:
  TBusinessBase();
  virtual ~TBusinessBase();
  TBusinessBase(const TBusinessBase&) = delete;
  TBusinessBase& operator=(const TBusinessBase&) = delete;

  int32_t QueryInterface(const Guid& iid, void** object) override;
  // Both return -1 and never end the object.
  int32_t AddRef() override { return -1; }
  int32_t Release() override { return -1; }

  TBusinessOperaterList* GetOperaterList() override { return operater_list_.get(); }
  // ApplyParams, then every operator's Initialize, then LoadMetadata; returns 0.
  int32_t Initialize(const std::string& params) override;

  // The file name of this library without folder and extension; it names the
  // metadata file.
  virtual std::string GetObjectName() const;
  // Loads the property metadata and help record from the object's metadata file.
  virtual void LoadMetadata();
  // Takes the parameter text; a Factory element below its root selects the company.
  void ApplyParams(const std::string& params);

  // The one data controller of the global parameters.
  TDataController* GetDataController() const;
  // The IDs of the key properties joined by the request separator.
  std::string GetKeyList() const;

  TPropertyInfoList& PropertyList() const { return *property_list_; }
  TObjectHelp& ObjectHelp() const { return *object_help_; }
  const std::string& InitParams() const { return init_params_; }

 private:
  void InitializeOperaters();

  // Declared in the reverse of the order they end in: help record, property
  // list, then the operators.
  std::unique_ptr<TBusinessOperaterList> operater_list_;
  std::unique_ptr<TPropertyInfoList> property_list_;
  std::unique_ptr<TObjectHelp> object_help_;
  std::string init_params_;
};

}  // namespace gateway
