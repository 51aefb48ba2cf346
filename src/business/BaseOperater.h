// TBaseOperater: the frame every operator runs in. Execute runs the steps
// BeforeExecute, DoExecute and AfterExecute in a guard that turns a failure
// into the error record, then Finish writes the outcome into the output as an
// "Error" element (on failure) and a "Status" element (always).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "business/OperaterPools.h"
#include "gateway/IOperater.h"
#include "pools/OperateError.h"

namespace gateway {

class TBusinessBase;

class TBaseOperater : public IOperater {
 public:
  // `business` is the owning business object; the operator must not outlive it.
  explicit TBaseOperater(TBusinessBase* business);
  virtual ~TBaseOperater();
  TBaseOperater(const TBaseOperater&) = delete;
  TBaseOperater& operator=(const TBaseOperater&) = delete;

  // Reference counted in the ordinary way: the last Release ends the operator.
  int32_t QueryInterface(const Guid& iid, void** object) override;
  int32_t AddRef() override;
  int32_t Release() override;

  // A class that does not provide these raises the not-implemented error.
  std::string GetName() override;
  TInputPool* GetInputPool() override;
  TOutputPool* GetOutputPool() override;

  int32_t Initialize(const std::string& params) override;
  void Execute() override;
  void* GetObject() override { return this; }

  TOperateError& Error() { return error_; }
  const TOperateError& Error() const { return error_; }
  bool HasError() const { return error_.Code != 0 || !error_.Message.empty(); }
  TBusinessBase* Business() const { return business_; }

  // Called by the input pool when a new request arrives, before anything of
  // it is read. The base does nothing.
  virtual void NewRequest() {}

 protected:
  virtual void DoInitialize(const std::string& params);
  // Writes the error message into the output's "Error" element.
  virtual void WriteError();
  virtual void AfterExecute() {}
  // Setting `continue_execution` to false skips DoExecute and AfterExecute.
  virtual void BeforeExecute(bool& continue_execution);
  virtual void DoExecute() {}
  // Normalises the error record and writes "Error" and "Status".
  virtual void Finish();

  // The operator's own pools, made on first request; for classes that have pools.
  TInputPool* OwnedInputPool();
  TOutputPool* OwnedOutputPool();

 private:
  void ExecuteSteps();

  TOperateError error_;
  TBusinessBase* business_;
  std::atomic<int32_t> ref_count_{0};
  // Declared output first: the input pool ends first.
  std::unique_ptr<TOutputPool> output_pool_;
  std::unique_ptr<TInputPool> input_pool_;
};

}  // namespace gateway
