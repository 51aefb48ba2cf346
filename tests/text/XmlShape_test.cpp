// Counting a request's elements and attributes without parsing it: exact for
// well-formed text, whatever its comments, sections and quoted values hold.
#include "text/XmlShape.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway {
namespace {

TEST(XmlShapeTest, CountsElementsAndTheMostAttributesOfOne) {
  struct Case {
    std::string text;
    std::size_t elements;
    std::size_t most_attributes;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"hello", 0, 0},
      {"<R/>", 1, 0},
      {"<R><A x=\"1\" y='2'/><B z = \"3\">t</B></R>", 3, 2},
      // Markup inside comments, CDATA, processing instructions and values is no element.
      {"<R><!-- <A a=\"1\"/> --><![CDATA[<B b=1>]]><?pi <C c=\"1\"?></R>", 1, 0},
      {"<R a=\"x > y = z\" b='<'/>", 1, 2},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE SC[<!ENTITY stdd \"&amp;stdd;\">]>"
       "<R>&stdd;</R>",
       1, 0},
      {"<中 文=\"1\"/>", 1, 1},
      // Not well-formed: a tag cut off, an end tag, a lone "<".
      {"<R a=\"1\" b=\"2", 1, 2},
      {"</R> < 3", 0, 0},
  };
  for (const Case& c : cases) {
    const XmlShape shape = MeasureXmlShape(c.text);
    EXPECT_EQ(shape.Elements, c.elements) << c.text;
    EXPECT_EQ(shape.MostAttributes, c.most_attributes) << c.text;
  }
}

}  // namespace
}  // namespace gateway
