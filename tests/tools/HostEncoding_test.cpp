// Text at the host's wire: requests from UTF-8 and GB2312 peers read as their
// declarations say, responses written back in GB2312 with a declaration that
// says so.
#include "gatewayhost/HostEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway::host {
namespace {

// "中文" in UTF-8 and in GB2312.
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kChineseGb2312 = "\xD6\xD0\xCE\xC4";

const std::string kGb2312Declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

TEST(GatewayHostEncoding, ReadsRequestsInTheEncodingTheyDeclare) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"<a>plain</a>", "<a>plain</a>"},
      {"<a>" + kChineseUtf8 + "</a>", "<a>" + kChineseUtf8 + "</a>"},
      {"\xEF\xBB\xBF<a/>", "<a/>"},
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><a/>",
       "<?xml version='1.0' encoding='utf-8'?><a/>"},
      {kGb2312Declaration + "<a>" + kChineseGb2312 + "</a>",
       kGb2312Declaration + "<a>" + kChineseUtf8 + "</a>"},
      // "膜" in GB2312 (C4 A4) is also valid UTF-8 (U+0124): the declaration decides.
      {kGb2312Declaration + "<a v=\"%\xC4\xA4%\"/>", kGb2312Declaration + "<a v=\"%\xE8\x86\x9C%\"/>"},
      // GB2312 is read as CP936, whose 0x80 is the euro sign; any letter case.
      {"<?xml version='1.0' encoding='gb2312'?><a>\x80</a>",
       "<?xml version='1.0' encoding='gb2312'?><a>\xE2\x82\xAC</a>"},
      {"\n <?xml version=\"1.0\" encoding=\"GBK\"?><a>" + kChineseGb2312 + "</a>",
       "\n <?xml version=\"1.0\" encoding=\"GBK\"?><a>" + kChineseUtf8 + "</a>"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xC3\xA9</a>"},
      {std::string("\xFF\xFE<\0a\0/\0>\0", 10), "<a/>"},
      {std::string("\xFE\xFF\0<\0a\0/\0>", 10), "<a/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(DecodeRequestBytes(c.bytes), c.utf8);
  }
}

TEST(GatewayHostEncoding, RefusesBytesTheirEncodingDoesNotHold) {
  struct Case {
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      // GB2312 bytes without a declaration are not guessed.
      {"<a>" + kChineseGb2312 + "</a>",
       "not valid UTF-8 text, the encoding of a request that declares none: byte 0xD6 at offset "
       "3 cannot be read (a GB2312 request says encoding=\"GB2312\" in its XML declaration)"},
      {"\xEF\xBB\xBF<a>\xFF</a>",
       "not valid UTF-8 text, as its byte-order mark says: byte 0xFF at offset 6 cannot be read"},
      {kGb2312Declaration + "<a>\xFF</a>",
       "not valid GB2312 text, the encoding its XML declaration names: byte 0xFF at offset 42 "
       "cannot be read"},
      // A character cut off by the end of the text.
      {kGb2312Declaration + "<a/>\xD6",
       "not valid GB2312 text, the encoding its XML declaration names: byte 0xD6 at offset 43 "
       "cannot be read"},
      {"\xEF\xBB\xBF" + kGb2312Declaration + "<a/>",
       "the request starts with the byte-order mark of UTF-8 but declares encoding=\"GB2312\""},
      {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>",
       "the request declares encoding=\"UTF-16\", but its declaration is written in single bytes"},
      {"<?xml version=\"1.0\" encoding=\"KLINGON\"?><a/>",
       "the request is meant to be KLINGON text, the encoding its XML declaration names, which "
       "this system cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    try {
      DecodeRequestBytes(c.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EncodingError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
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
