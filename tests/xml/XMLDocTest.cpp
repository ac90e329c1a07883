#include "XMLDoc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

XMLDoc parsed(const std::string& text) {
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(text.data(), text.size())) << text;
    return doc;
}

// Attributes come back sorted and in double quotes; all white space stays;
// text between children moves in front of them, and a CR from a character
// reference is text, not layout.
TEST(XMLRead, HandWrittenFilesKeepTheirLayoutAndWriteBackStably) {
    const struct {
        std::string hand, written, content;
    } kCases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P>\n\t<C>\n\t\t<s v=\"1\"   m=\"0\" />\n\n"
         "\t\t<t m='1' v='T'/>\n\t</C>\n      <N>  spaced  </N>   <L>\n   </L>\n</P>\n",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P>\n\t<C>\n\t\t<s m=\"0\" v=\"1\"/>\n\n"
         "\t\t<t m=\"1\" v=\"T\"/>\n\t</C>\n      <N>  spaced  </N>   <L>\n   </L>\n</P>\n",
         ""},
        {"<a>&#13;\n  <b/> x <c/>\n</a>",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a>&#13;\n   x <b/><c/>\n</a>\n", "\r\n   x "}};
    for (const auto& c : kCases) {
        XMLDoc doc = parsed(c.hand);
        EXPECT_EQ(c.written, doc.text());
        EXPECT_EQ(c.written, parsed(c.written).text());
    }
    XMLDoc doc = parsed(kCases[0].hand);
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("P"));
    ASSERT_EQ(1, pos.goDown("N"));
    EXPECT_EQ("  spaced  ", pos.content());
    XMLDoc mixed = parsed(kCases[1].hand);
    XMLPos a(mixed);
    ASSERT_EQ(1, a.goDown("a"));
    EXPECT_EQ(kCases[1].content, a.content());
}

TEST(XMLRead, EntitiesAndCdataAreDecoded) {
    XMLDoc doc = parsed(
        "<r a=\"&lt;&gt;&amp;&quot;&apos;\">x &lt; y<![CDATA[<raw & text>]]>&#65;&#x42;</r>");
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("r"));
    EXPECT_EQ("<>&\"'", pos.attribute("a"));
    EXPECT_EQ("x < y<raw & text>AB", pos.content());
    EXPECT_EQ("x &lt; y&lt;raw &amp; text&gt;AB", pos.node().content);
    // Anything that is not a whole reference stays as it is.
    const std::string notReferences = "&#; &#x; &#0; &#x110000; &bogus; & &#12a; &#123456789; <![CDATA[open";
    EXPECT_EQ(notReferences, unescapeText(notReferences));
    EXPECT_EQ("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", unescapeText("&#233;&#x20AC;&#x1F600;"));
}

// A settings file saved on Windows: CR LF line ends, a name with u-umlaut
// (0xFC) and a note with the euro sign (0x80) and other 0x80..0x9F characters;
// written back it is a UTF-8 file that says so.
TEST(XMLEncoding, Windows1252FileReadsAsUtf8) {
    XMLDoc doc = parsed("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
                        "<PARAMS>\r\n  <CONFIG name=\"J\xfcrgen\"/>\r\n"
                        "  <NOTE>\x80 5 \x93quoted\x94 \x8a\x9f \xe9\xff\xa0</NOTE>\r\n"
                        "</PARAMS>\r\n");
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("PARAMS"));
    ASSERT_EQ(1, pos.goDown("CONFIG"));
    EXPECT_EQ("J\xc3\xbcrgen", pos.attribute("name"));
    const std::string note =
        "\xe2\x82\xac 5 \xe2\x80\x9cquoted\xe2\x80\x9d \xc5\xa0\xc5\xb8 \xc3\xa9\xc3\xbf\xc2\xa0";
    const std::string text = doc.text();
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<PARAMS>\n"));
    XMLDoc back = parsed(text);
    XMLPos read(back);
    ASSERT_EQ(1, read.goDown("PARAMS"));
    ASSERT_EQ(1, read.goDown("NOTE"));
    EXPECT_EQ(note, read.content());
    EXPECT_EQ(text, back.text());
}

TEST(XMLPosition, GoDownBackAndFilters) {
    XMLDoc doc = parsed("<r><i n='a'>1</i><i n='b'>2</i><j/><i n='c'>3</i></r>");
    XMLPos pos(doc);
    EXPECT_EQ(0, pos.goDown("i"));  // the top holds only the root
    ASSERT_EQ(1, pos.goDown("r"));
    for (const auto& c : {std::make_pair("i", "1"), std::make_pair("i[3]", "3"),
                          std::make_pair("i[@n='b']", "2"), std::make_pair("i[@n=\"c\"]", "3")}) {
        ASSERT_EQ(1, pos.goDown(c.first)) << c.first;
        EXPECT_EQ(c.second, pos.content());
        pos.back();
    }
    for (const char* bad : {"missing", "i[4]", "i[0]", "i[@n='x']", "i[", "i[]", "i[@n=b]", "i[x]", "i[@n='b]"})
        EXPECT_EQ(0, pos.goDown(bad)) << bad;
    EXPECT_EQ("r", pos.node().name);
    pos.back();
    pos.back();  // at the top already
    EXPECT_EQ(1, pos.goDown("r"));
}

// Control characters cannot be written at all; other bytes that are no
// UTF-8 are Latin-1; long text goes in CDATA sections.
TEST(XMLWrite, EscapingOfTextAndAttributes) {
    EXPECT_EQ("a&quot;b&amp;c&apos;d&lt;e&gt;f\tg\nh&#13;", escapeText("a\"b&c'd<e>f\tg\nh\r"));
    EXPECT_EQ("a&#9;b&#10;c&amp;", escapeAttribute("a\tb\nc&"));
    EXPECT_EQ("ab", escapeText(std::string("a\x01\x1b" "b")));
    EXPECT_EQ("J\xc3\xbcrgen", escapeText("J\xfcrgen"));
    EXPECT_EQ("\xe2\x82\xac ok", escapeText("\xe2\x82\xac ok"));
    EXPECT_EQ("\xc3\x83", escapeText("\xc3"));  // cut sequence at the end
    const std::string longText(2049, 'x');
    EXPECT_EQ("<![CDATA[" + longText + "]]>", escapeText(longText));
    EXPECT_EQ(std::string(2048, '&'), unescapeText(escapeText(std::string(2048, '&'))));
    const std::string closing = std::string(3000, 'y') + "]]>" + "<";
    EXPECT_EQ(closing, unescapeText(escapeText(closing)));
}

}  // namespace
