#include "text/XmlAttributeText.h"

#include <gtest/gtest.h>

#include <string>

#include "text/XmlText.h"

namespace gateway {
namespace {

// What the DOM writes for an attribute holding `value`, in a document like
// the responses (declared with the separator entity).
std::string DomWritten(const std::string& value) {
  XmlDocument document = LoadNormalizedXml("<R/>");
  document.DocumentElement().SetAttribute("A", value);
  const std::string xml = document.DocumentElement().Xml();  // <R A="..."/>
  return xml.substr(6, xml.size() - 9);
}

TEST(AppendAttributeValue, WritesWhatTheDocumentWrites) {
  const char* const values[] = {
      "",
      "plain text",
      "a&stdd;b",
      "<tag attr=\"v\"> & 'single' >",
      "tab\there\nline\r\nend\r",
      "中文 供应商一 1.应税内含",
      "emoji \xF0\x9F\x98\x80 and U+FFFD \xEF\xBF\xBD",
      "&amp; &#10; already escaped",
  };
  for (const char* value : values) {
    std::string out = "kept:";
    ASSERT_TRUE(AppendAttributeValue(out, value)) << value;
    EXPECT_EQ(out, "kept:" + DomWritten(value)) << value;
  }
}

TEST(AppendAttributeValue, RefusesTextWithoutAFaithfulForm) {
  const char* const values[] = {
      "bell\x07",           // control character
      "nul\x01",            // control character
      "\xC3",               // cut multi-byte character
      "\xC0\xAF",           // overlong form
      "\xED\xA0\x80",       // surrogate
      "\xEF\xBF\xBE",       // U+FFFE
      "\xF4\x90\x80\x80",   // beyond U+10FFFF
      "latin-1 caf\xE9 ok",  // not UTF-8
  };
  for (const char* value : values) {
    std::string out = "kept";
    EXPECT_FALSE(AppendAttributeValue(out, value)) << value;
    EXPECT_EQ(out, "kept") << value;
  }
}

}  // namespace
}  // namespace gateway
