#include "config/XmlFileText.h"

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigTestSupport.h"
#include "config/Errors.h"
#include "gateway/Exception.h"

namespace gateway {
namespace {

// "采购单" in CP936 (GB2312) bytes.
const std::string kGbOrder = "\xB2\xC9\xB9\xBA\xB5\xA5";

TEST(DecodeXmlFileBytes, HonoursTheMarkOrTheDeclarationElseGuesses) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"declared GB2312", R"(<?xml version="1.0" encoding="GB2312"?><a>)" + kGbOrder + "</a>",
       R"(<?xml version="1.0" encoding="GB2312"?><a>采购单</a>)"},
      {"declared gbk in single quotes",
       "<?xml version='1.0' encoding='gbk'?><a>" + kGbOrder + "</a>",
       "<?xml version='1.0' encoding='gbk'?><a>采购单</a>"},
      {"declared UTF-8", R"(<?xml version="1.0" encoding="UTF-8"?><a>采购单</a>)",
       R"(<?xml version="1.0" encoding="UTF-8"?><a>采购单</a>)"},
      {"declared ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>",
       R"(<?xml version="1.0" encoding="ISO-8859-1"?><a>café</a>)"},
      {"undeclared UTF-8", "<a>采购单</a>", "<a>采购单</a>"},
      {"undeclared GB2312", "<a>" + kGbOrder + "</a>", "<a>采购单</a>"},
      {"declaration without encoding, GB2312 bytes",
       R"(<?xml version="1.0"?><a>)" + kGbOrder + "</a>", R"(<?xml version="1.0"?><a>采购单</a>)"},
      {"UTF-8 mark", "\xEF\xBB\xBF<a>采购单</a>", "<a>采购单</a>"},
      {"UTF-8 mark wins over the declaration",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GB2312\"?><a>采购单</a>",
       R"(<?xml version="1.0" encoding="GB2312"?><a>采购单</a>)"},
      {"UTF-16LE mark", std::string("\xFF\xFE<\0a\0>\0\xC7\x91\x2D\x8D\x55\x53<\0/\0a\0>\0", 22),
       "<a>采购单</a>"},
      {"UTF-16BE without mark", std::string("\0<\0?\0x\0m\0l\0?\0>\0<\0a\0/\0>", 22),
       "<?xml?><a/>"},
      // The declaration is readable as single bytes, so the file cannot be UTF-16.
      {"a false UTF-16 declaration",
       R"(<?xml version="1.0" encoding="UTF-16"?><a>)" + kGbOrder + "</a>",
       R"(<?xml version="1.0" encoding="UTF-16"?><a>采购单</a>)"},
      // One bad byte does not lose the rest.
      {"declared UTF-8 with a stray byte",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>x\xFFy</a>",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>x\xEF\xBF\xBDy</a>"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeXmlFileBytes(c.bytes), c.text);
  }
}

TEST(DecodeXmlFileBytes, AnUnknownDeclaredEncodingIsAClearError) {
  try {
    DecodeXmlFileBytes(R"(<?xml version="1.0" encoding="NO-SUCH-CODE"?><a/>)");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("NO-SUCH-CODE"), std::string::npos) << e.Message();
  }
}

TEST(ReadXmlFileText, ReadsAndDecodesAWholeFile) {
  testing::TempFolder folder;
  const std::string path = folder.Path("Obj/PurchaseOrder.xml");
  testing::WriteFile(path,
                     "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<a>" + kGbOrder + "</a>\r\n");
  EXPECT_EQ(ReadXmlFileText(path),
            "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<a>采购单</a>\r\n");
}

TEST(ReadXmlFileText, AMissingFileOrADirectoryIsAnInOutError) {
  testing::TempFolder folder;
  for (const std::string& path : {folder.Path("missing.xml"), folder.Path()}) {
    SCOPED_TRACE(path);
    try {
      ReadXmlFileText(path);
      FAIL() << "no exception";
    } catch (const EInOutError& e) {
      EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
      EXPECT_NE(e.ErrorCode(), 0);
    }
  }
}

}  // namespace
}  // namespace gateway
