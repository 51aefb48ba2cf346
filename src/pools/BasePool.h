// TBasePool: a named parameter container that turns its content into XML and
// takes it back from XML. Every parameter an operator receives and every result
// it returns travels in a pool; hosts see it through IPool.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "gateway/IPool.h"

namespace gateway {

class TBasePool : public IPool {
 public:
  using NotifyHandler = std::function<void(TBasePool& sender)>;
  using TextHandler = std::function<void(TBasePool& sender, std::string& text)>;
  using ReadHandler = std::function<void(TBasePool& sender, const std::string& text)>;

  TBasePool() = default;
  TBasePool(const TBasePool&) = delete;
  TBasePool& operator=(const TBasePool&) = delete;
  virtual ~TBasePool() = default;

  // The pool's XML: OnBeforeGetXML, then OnGetXML or ToXML, then OnAfterGetXML,
  // then a trace record of the result.
  std::string GetXML() final;
  // Traces the text as received, lets OnBeforeSetXML change it, empties the
  // pool, reads the text through OnSetXML or FromXML, then OnAfterSetXML. A
  // failure in any step leaves at once.
  void SetXML(const std::string& text) final;

  // Whether the pool can write its part of a whole response itself
  // (AppendResponseXML); the base cannot.
  virtual bool CanAppendResponseXML() const { return false; }
  // Appends what GetXML gives once a buffer pool has read the whole response
  // back and written it again, without a document in between, so a large
  // part is written once. False, with `out` unchanged, when some content has
  // no faithful written form: the buffer pool then takes GetXML's way.
  virtual bool AppendResponseXML(std::string& out) {
    (void)out;
    return false;
  }

  // Empties the pool's content; never changes NodeName.
  virtual void Clear() {}

  // Element name of the pool in a document and the key a TPoolList finds it by.
  const std::string& NodeName() const { return node_name_; }
  void SetNodeName(std::string name) { node_name_ = std::move(name); }

  // Reference counting for hosts. The count starts at 0 and only counts; the
  // pool's owner (a pool list or an operator) decides when it ends, so a host
  // that releases its last reference never frees a pool that is still owned.
  int32_t QueryInterface(const Guid& iid, void** object) final;
  int32_t AddRef() final;
  int32_t Release() final;
  int32_t RefCount() const { return ref_count_.load(); }

  TextHandler OnGetXML;
  ReadHandler OnSetXML;
  TextHandler OnAfterGetXML;
  NotifyHandler OnAfterSetXML;
  NotifyHandler OnBeforeGetXML;
  TextHandler OnBeforeSetXML;

 protected:
  // Writes the pool's content as XML into `xml`. The base raises the
  // not-implemented error.
  virtual void ToXML(std::string& xml);
  // Takes the pool's content from `xml`. The base raises the not-implemented error.
  virtual void FromXML(const std::string& xml);

 private:
  std::string node_name_;
  std::atomic<int32_t> ref_count_{0};
};

}  // namespace gateway
