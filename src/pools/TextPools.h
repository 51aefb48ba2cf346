// Pools whose content is one text: the string-pool base, the node-text pool
// that carries one element's text (operator options, the Error and Status
// results, and every request element without a pool class of its own), and the
// pass-through pool that carries a ready-made XML fragment.
#pragma once

#include <string>

#include "pools/BasePool.h"

namespace gateway {

// Base of the pools that hold one text. It has no XML form of its own:
// ToXML and FromXML raise the not-implemented error.
class TBaseStrPool : public TBasePool {
 public:
  void Clear() override { Text.clear(); }

  std::string Text;
};

// One element whose whole content is Text, named after the pool. Reading
// takes the element's text content and its name, so the pool is renamed after
// whatever element it reads. NodeName is empty until the creator sets it.
class TTextNodePool : public TBaseStrPool {
 protected:
  // Raises EXmlNode (-9005) when NodeName is empty, and the XML layer's error
  // when NodeName is not a valid element name.
  void ToXML(std::string& xml) override;
  // Text that does not parse leaves the pool as it is.
  void FromXML(const std::string& xml) override;

  // The pool's element holding `text`, with the same failures as ToXML.
  std::string ElementXml(const std::string& text) const;
};

// Carries any text unchanged both ways; normally a complete XML element that
// an operator built itself (the help operator's "Object").
class TDefaultPool : public TBasePool {
 public:
  void Clear() override { Text.clear(); }

  std::string Text;

 protected:
  void ToXML(std::string& xml) override { xml = Text; }
  void FromXML(const std::string& xml) override { Text = xml; }
};

}  // namespace gateway
