#include "XMLDoc.h"

#include "../TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) {
    const std::string folder = std::string(TABRELO_BUILD) + "/xml-test-files";
    mkdir(folder.c_str(), 0777);
    return folder + "/" + name;
}

XMLDoc parsed(const std::string& text) {
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(text.data(), text.size())) << text;
    return doc;
}

const char* const kAgendaText =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<AGENDA>\n"
    "  <USER>Tom &amp; Jerry &lt;3</USER>\n"
    "  <CURR>0</CURR>\n"
    "  <ITEM_0>\n"
    "    <INDEX>0</INDEX>\n"
    "    <NOTE/>\n"
    "  </ITEM_0>\n"
    "</AGENDA>\n";

TEST(XMLRead, OwnFileRoundTripsByteForByte) {
    const std::string path = tempPath("own.xml");
    { std::ofstream(path, std::ios::binary) << kAgendaText; }
    XMLDoc doc;
    ASSERT_EQ(1, doc.read(path.c_str()));
    EXPECT_TRUE(doc.errors.empty());
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("AGENDA"));
    ASSERT_EQ(1, pos.goDown("USER"));
    EXPECT_EQ("Tom & Jerry <3", pos.content());
    ASSERT_EQ(1, doc.write(path.c_str()));
    EXPECT_EQ(kAgendaText, readFile(path));
}

TEST(XMLRead, HandIndentedFileKeepsItsLayout) {
    const std::string hand =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<PARAMS>\n"
        "\t<CONFIG>\n"
        "\t\t<show_3D val=\"1\"   modifiable=\"0\" />\n"
        "\n"
        "\t\t<show_AR modifiable='1' val='T'/>\n"
        "\t</CONFIG>\n"
        "      <NAME>  spaced  </NAME>   <LOOP>\n"
        "   </LOOP>\n"
        "</PARAMS>\n";
    // Attributes come back sorted and in double quotes; all white space stays.
    const std::string written =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<PARAMS>\n"
        "\t<CONFIG>\n"
        "\t\t<show_3D modifiable=\"0\" val=\"1\"/>\n"
        "\n"
        "\t\t<show_AR modifiable=\"1\" val=\"T\"/>\n"
        "\t</CONFIG>\n"
        "      <NAME>  spaced  </NAME>   <LOOP>\n"
        "   </LOOP>\n"
        "</PARAMS>\n";
    XMLDoc doc = parsed(hand);
    EXPECT_EQ(written, doc.text());
    EXPECT_EQ(written, parsed(written).text());
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("PARAMS"));
    ASSERT_EQ(1, pos.goDown("NAME"));
    EXPECT_EQ("  spaced  ", pos.content());
}

TEST(XMLRead, MixedTextAndElementsWriteBackStably) {
    // Text between children moves in front of them; a CR from a character
    // reference is text, not layout, and stays one.
    XMLDoc doc = parsed("<a>&#13;\n  <b/> x <c/>\n</a>");
    const std::string once = doc.text();
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a>&#13;\n   x <b/><c/>\n</a>\n", once);
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("a"));
    EXPECT_EQ("\r\n   x ", pos.content());
    EXPECT_EQ(once, parsed(once).text());
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
    const std::string notReferences = "&#; &#x; &#0; &#x110000; &bogus; & &#12a; &#123456789;";
    EXPECT_EQ(notReferences, unescapeText(notReferences));
    EXPECT_EQ("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", unescapeText("&#233;&#x20AC;&#x1F600;"));
    EXPECT_EQ("<![CDATA[open", unescapeText("<![CDATA[open"));
}

// A settings file saved on Windows: CR LF line ends, a name with u-umlaut
// (0xFC) and a note with the euro sign (0x80) and other 0x80..0x9F characters.
TEST(XMLEncoding, Windows1252FileReadsAsUtf8) {
    const std::string path = tempPath("windows-1252.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
               "<PARAMS>\r\n"
               "  <CONFIG name=\"J\xfcrgen M\xfcller\">\r\n"
               "    <show_3D val=\"1\" modifiable=\"0\"/>\r\n"
               "  </CONFIG>\r\n"
               "  <NOTE>\x80 5 \x93quoted\x94 \x8a\x9f \xe9\xff\xa0</NOTE>\r\n"
               "</PARAMS>\r\n";
    }
    XMLDoc doc;
    ASSERT_EQ(1, doc.read(path.c_str()));
    EXPECT_TRUE(doc.errors.empty());
    XMLPos pos(doc);
    ASSERT_EQ(1, pos.goDown("PARAMS"));
    ASSERT_EQ(1, pos.goDown("CONFIG"));
    EXPECT_EQ("J\xc3\xbcrgen M\xc3\xbcller", pos.attribute("name"));
    ASSERT_EQ(1, pos.goDown("show_3D"));
    EXPECT_EQ("1", pos.attribute("val"));
    EXPECT_EQ("0", pos.attribute("modifiable"));
    pos.back();
    pos.back();
    ASSERT_EQ(1, pos.goDown("NOTE"));
    const std::string note =
        "\xe2\x82\xac 5 \xe2\x80\x9cquoted\xe2\x80\x9d \xc5\xa0\xc5\xb8 \xc3\xa9\xc3\xbf\xc2\xa0";
    EXPECT_EQ(note, pos.content());

    // Written back it is a UTF-8 file that says so.
    const std::string text = doc.text();
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
    XMLDoc back = parsed(text);
    XMLPos read(back);
    ASSERT_EQ(1, read.goDown("PARAMS"));
    ASSERT_EQ(1, read.goDown("NOTE"));
    EXPECT_EQ(note, read.content());
    EXPECT_EQ(text, back.text());
    unlink(path.c_str());
}

TEST(XMLPosition, GoDownBackAndFilters) {
    XMLDoc doc = parsed(
        "<r><i n='a'>1</i><i n='b'>2</i><j/><i n='c'>3</i></r>");
    XMLPos pos(doc);
    EXPECT_EQ(0, pos.goDown("i"));  // the top holds only the root
    ASSERT_EQ(1, pos.goDown("r"));
    ASSERT_EQ(1, pos.goDown("i"));
    EXPECT_EQ("1", pos.content());
    pos.back();
    EXPECT_EQ(0, pos.goDown("missing"));
    EXPECT_EQ("r", pos.node().name);
    ASSERT_EQ(1, pos.goDown("i[3]"));
    EXPECT_EQ("3", pos.content());
    pos.back();
    ASSERT_EQ(1, pos.goDown("i[@n='b']"));
    EXPECT_EQ("2", pos.content());
    pos.back();
    ASSERT_EQ(1, pos.goDown("i[@n=\"c\"]"));
    EXPECT_EQ("3", pos.content());
    pos.back();
    for (const char* bad : {"i[4]", "i[0]", "i[@n='x']", "i[", "i[]", "i[@n=b]", "i[x]", "i[@n='b]"})
        EXPECT_EQ(0, pos.goDown(bad)) << bad;
    EXPECT_EQ("r", pos.node().name);
    pos.back();
    pos.back();  // at the top already
    EXPECT_EQ(1, pos.goDown("r"));
}

TEST(XMLWrite, EscapingOfTextAndAttributes) {
    EXPECT_EQ("a&quot;b&amp;c&apos;d&lt;e&gt;f\tg\nh&#13;", escapeText("a\"b&c'd<e>f\tg\nh\r"));
    EXPECT_EQ("a&#9;b&#10;c&amp;", escapeAttribute("a\tb\nc&"));
    // Control characters cannot be written at all; other bytes are Latin-1.
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

TEST(XMLWrite, TextThatWasNotUtf8StillReadsBack) {
    XMLDoc doc;
    XMLPos pos(doc);
    pos.create("USER");
    pos.setContent("M\xfcller\x02\xff");
    XMLDoc back = parsed(doc.text());
    XMLPos read(back);
    ASSERT_EQ(1, read.goDown("USER"));
    EXPECT_EQ("M\xc3\xbcller\xc3\xbf", read.content());
}

}  // namespace
