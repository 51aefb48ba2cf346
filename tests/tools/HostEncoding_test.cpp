// Text at the host's wire: requests from UTF-8 and GB2312 peers, responses
// written back in GB2312 with a declaration that says so.
#include "gatewayhost/HostEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway::host {
namespace {

// "中文" in UTF-8 and in GB2312.
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kChineseGb2312 = "\xD6\xD0\xCE\xC4";

TEST(GatewayHostEncoding, ReadsRequestsAsUtf8OrGb2312) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"<a>plain</a>", "<a>plain</a>"},
      {"<a>" + kChineseUtf8 + "</a>", "<a>" + kChineseUtf8 + "</a>"},
      {"\xEF\xBB\xBF<a/>", "<a/>"},
      {"<a>" + kChineseGb2312 + "</a>", "<a>" + kChineseUtf8 + "</a>"},
      // Not UTF-8 as a whole, so every byte is read as GB2312 (the euro sign is CP936's 0x80).
      {"<a>\x80" + kChineseGb2312 + "</a>", "<a>\xE2\x82\xAC" + kChineseUtf8 + "</a>"},
      {"\xEF\xBB\xBF" + kChineseGb2312, kChineseUtf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(DecodeRequestBytes(c.bytes), c.utf8);
  }
}

TEST(GatewayHostEncoding, RefusesBytesThatAreNeitherUtf8NorGb2312) {
  // 0xFF starts no character in either encoding; it must not turn into U+FFFD.
  try {
    DecodeRequestBytes("\xEF\xBB\xBF<a>\xFF</a>");
    FAIL() << "accepted";
  } catch (const EncodingError& error) {
    EXPECT_STREQ(error.what(),
                 "neither UTF-8 nor GB2312 text: byte 0xFF at offset 6 cannot be read");
  }
  // A GB2312 character cut off by the end of the text.
  EXPECT_THROW(DecodeRequestBytes("<a/>\xD6"), EncodingError);
}

TEST(GatewayHostEncoding, RewritesTheDeclaredEncoding) {
  struct Case {
    std::string xml;
    std::string rewritten;
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a/>",
       "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<a/>"},
      {"<?xml version='1.0' encoding='utf-8' standalone='yes'?><a/>",
       "<?xml version='1.0' encoding=\"GB2312\" standalone='yes'?><a/>"},
      {"<?xml version=\"1.0\"?><a/>", "<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>"},
      {"<?xml version=\"1.0\" standalone=\"no\"?><a/>",
       "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"no\"?><a/>"},
      {"<a x=\"encoding='UTF-8'\"/>",
       "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<a x=\"encoding='UTF-8'\"/>"},
      {"<?xml-stylesheet href=\"s.xsl\"?><a/>",
       "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<?xml-stylesheet href=\"s.xsl\"?><a/>"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    EXPECT_EQ(RewriteDeclaredEncoding(c.xml, "GB2312"), c.rewritten);
  }
}

TEST(GatewayHostEncoding, WritesGb2312ResponsesThatReadBackUnchanged) {
  const std::string response =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Service><Object Name=\"" + kChineseUtf8 +
      "\"/></Service>\n";
  const std::string bytes = EncodeResponse(response, ResponseEncoding::kGb2312);
  const std::string expected_bytes =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<Service><Object Name=\"" + kChineseGb2312 +
      "\"/></Service>\n";
  EXPECT_EQ(bytes, expected_bytes);
  EXPECT_EQ(DecodeRequestBytes(bytes), RewriteDeclaredEncoding(response, "GB2312"));

  EXPECT_EQ(EncodeResponse(response, ResponseEncoding::kUtf8), response);
}

TEST(GatewayHostEncoding, CharactersGb2312CannotHoldBecomeCharacterReferences) {
  struct Case {
    std::string character;
    std::string reference;
  };
  const Case cases[] = {
      {"\xED\x95\x9C", "&#xD55C;"},       // a Hangul syllable
      {"\xF0\x9F\x98\x80", "&#x1F600;"},  // an emoji, beyond the 16-bit range
      // In GBK (D1 75) and so in CP936, but not in GB2312: a strict reader of a
      // document declared GB2312 would refuse those bytes.
      {"\xE8\xA3\xBD", "&#x88FD;"},  // 製
      {"\xC2\xB7", "&#x00B7;"},      // a middle dot
      {"\xE2\x82\xAC", "&#x20AC;"},  // the euro sign (CP936's 0x80)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    const std::string bytes = EncodeResponse("<a v=\"" + c.character + "\">" + kChineseUtf8 +
                                                 c.character + c.character + "</a>",
                                             ResponseEncoding::kGb2312);
    // A response without a declaration gets one that says GB2312.
    EXPECT_EQ(bytes, "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<a v=\"" + c.reference + "\">" + kChineseGb2312 + c.reference +
                         c.reference + "</a>");
  }
  EXPECT_THROW(EncodeResponse("<a>\xFF</a>", ResponseEncoding::kGb2312), EncodingError);
}

}  // namespace
}  // namespace gateway::host
