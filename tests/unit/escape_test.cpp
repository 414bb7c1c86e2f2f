// Texts put into pages and scripts: what may not end an element, a string or
// an attribute comes out escaped, everything else as it is.
#include "platform/ui/escape.h"

#include <gtest/gtest.h>

#include <string>

using plat::ui::EscapeHtml;
using plat::ui::ScriptJson;
using plat::ui::StyleElementText;

TEST(Escape, HtmlTextAndAttributes) {
  struct Case {
    const char* text;
    const char* html;
  };
  const Case cases[] = {
      {"Halle 1", "Halle 1"},
      {"<b>Tor</b> & \"mehr\"", "&lt;b&gt;Tor&lt;/b&gt; &amp; &quot;mehr&quot;"},
      {"&amp;", "&amp;amp;"},
      {"it's", "it's"},
      {"Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeHtml(c.text), c.html) << c.text;
}

TEST(Escape, ScriptJsonCannotEndTheScriptElement) {
  struct Case {
    nlohmann::json value;
    const char* literal;
  };
  const Case cases[] = {
      {"</script><script>alert(1)</script>",
       "\"\\u003c/script\\u003e\\u003cscript\\u003ealert(1)\\u003c/script\\u003e\""},
      {"<!-- a && b", "\"\\u003c!-- a \\u0026\\u0026 b\""},
      {{{"caption", "x<y"}, {"n", 3}}, "{\"caption\":\"x\\u003cy\",\"n\":3}"},
      {"line\nbreak \"quoted\"", "\"line\\nbreak \\\"quoted\\\"\""},
      // bytes that are no UTF-8 become the replacement character
      {std::string("a\xFF" "b"), "\"a\xEF\xBF\xBD" "b\""},
  };
  for (const Case& c : cases) EXPECT_EQ(ScriptJson(c.value), c.literal) << c.literal;
}

TEST(Escape, StyleTextCannotEndTheStyleElement) {
  EXPECT_EQ(StyleElementText("#a {color: red}"), "#a {color: red}");
  EXPECT_EQ(StyleElementText("a{}</style><script>x</script>"), "a{}<\\/style><script>x<\\/script>");
  EXPECT_EQ(StyleElementText("<"), "<");
}
