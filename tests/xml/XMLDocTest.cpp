#include "../TextHelpers.h"
#include "XMLDoc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

XMLDoc parsed(const std::string& text) {
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(text.data(), text.size())) << text;
    return doc;
}

// Broken and hostile files must read as "not readable": result 0, an empty
// document and the error record, never a crash, a hang or a file reached
// through the document.
void expectUnreadable(XMLDoc& doc, int result) {
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, doc.errors.size());
    EXPECT_FALSE(doc.errors[0].reason.empty());  // for the console line
    EXPECT_EQ(nullptr, doc.root());
    EXPECT_TRUE(doc.styleSheets.empty());
    EXPECT_TRUE(doc.doctypeName.empty());
}

void expectUnreadableText(const std::string& text) {
    SCOPED_TRACE(text.substr(0, 80));
    XMLDoc doc;
    expectUnreadable(doc, doc.readText(text.data(), text.size()));
}

std::string repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; i++) text += part;
    return text;
}

TEST(XMLHostile, BrokenHostileMissingAndHugeFiles) {
    for (const char* text : {"", "<a>", "<a><b></a>", "<a>text", "<a x='1' x='2'/>", "<a></b>",
                             "<a/><b/>", "<a>&unknown;</a>", "<a>&#0;</a>", "<?xml version='1.0'?>",
                             "<a x=1/>", "<a>\x01</a>", "text only", "<a><!-- open </a>",
                             "<a>\xff\xfe</a>", "<a>\xc3</a>", "<a>\xed\xa0\x80</a>", "<a n='\x80'/>"})
        expectUnreadableText(text);
    for (const char* name : {"x-foo", "windows-1250", "cp-1252", "windows1252", "latin-1", "ascii"})
        expectUnreadableText(std::string("<?xml version='1.0' encoding='") + name + "'?><a>x</a>");

    expectUnreadableText(repeated("<a>", 100000) + repeated("</a>", 100000));
    expectUnreadableText("<r>" + repeated("<a/>", 200000) + "</r>");
    const std::string fine = repeated("<a>", 100) + repeated("</a>", 100);
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(fine.data(), fine.size()));

    // Entities are refused, harmless-looking ones too, and nothing outside the
    // file is loaded.
    std::string bomb = "<?xml version='1.0'?>\n<!DOCTYPE l [\n <!ENTITY l0 'ha'>\n";
    for (int i = 1; i < 10; i++)
        bomb += " <!ENTITY l" + std::to_string(i) + " '" + repeated("&l" + std::to_string(i - 1) + ";", 10) + "'>\n";
    expectUnreadableText(bomb + "]>\n<l>&l9;</l>\n");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p 'x'>]><a/>");
    const std::string secret = writeScratch("secret.txt", "SECRET");
    const std::string dtd = writeScratch("evil.dtd", "<!ENTITY e SYSTEM 'file://" + secret + "'>");
    expectUnreadableText("<!DOCTYPE a SYSTEM 'file://" + dtd + "'><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a PUBLIC '-//X//Y//EN' 'http://example.invalid/a.dtd'><a/>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e SYSTEM 'file://" + secret + "'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p SYSTEM 'file://" + dtd + "'> %p;]><a>&e;</a>");

    const std::string good = "<?xml-stylesheet href='a' type='b'?><a><b/></a>";
    ASSERT_EQ(1, doc.readText(good.data(), good.size()));
    ASSERT_EQ(1u, doc.styleSheets.size());
    const std::string bad = "<?xml-stylesheet href='a' type='b'?><a><b></a>";
    expectUnreadable(doc, doc.readText(bad.data(), bad.size()));
    ASSERT_EQ(1, doc.readText(good.data(), good.size()));
    EXPECT_TRUE(doc.errors.empty());

    // No place in a missing file or a folder is at fault; a file far beyond any
    // study file is refused unread.
    const std::string folder = scratchPath("a-folder"), huge = scratchPath("huge.xml");
    mkdir(folder.c_str(), 0777);
    close(creat(huge.c_str(), 0666));
    ASSERT_EQ(0, truncate(huge.c_str(), 100 << 20));
    for (const std::string& path : {scratchPath("does-not-exist.xml"), folder}) {
        expectUnreadable(doc, doc.read(path.c_str()));
        EXPECT_EQ(0, doc.errors[0].line);
    }
    expectUnreadable(doc, doc.read(huge.c_str()));
    unlink(huge.c_str());
    expectUnreadableText("<a>" + std::string(XMLDoc::kMaxFileBytes, ' ') + "</a>");
}

// Bytes Windows-1252 leaves undefined are refused with their line; such
// files keep the limits of every file.
TEST(XMLEncoding, Windows1252FilesKeepTheRulesAndReadAsUtf8) {
    const std::string head = "<?xml version='1.0' encoding='windows-1252'?>\n";
    for (const char byte : {'\x81', '\x8d', '\x8f', '\x90', '\x9d'}) {
        SCOPED_TRACE((int)(unsigned char)byte);
        expectUnreadableText(head + "<a>" + byte + "</a>");
        expectUnreadableText(head + "<a n='x" + byte + "'/>");
        XMLDoc doc;
        const std::string text = head + "<a>\n  <b>\x80\xfc</b>\n  <c>" + byte + "</c>\n</a>\n";
        expectUnreadable(doc, doc.readText(text.data(), text.size()));
        EXPECT_EQ(4, doc.errors[0].line);
        EXPECT_EQ(0u, doc.errorText().find("line 4: "));
    }
    const std::string cp = "<?xml version='1.0' encoding='cp1252'?>\n";
    expectUnreadableText(cp + "<!DOCTYPE a [<!ENTITY e '\x80'>]><a>&e;</a>");
    expectUnreadableText(cp + "<!DOCTYPE a SYSTEM 'file:///etc/passwd'><a/>");
    expectUnreadableText(cp + repeated("<a>", 1000) + repeated("</a>", 1000));

    // A settings file saved on Windows: CR LF line ends, a name with u-umlaut
    // (0xFC) and a note with the euro sign (0x80) and other 0x80..0x9F characters;
    // written back it is a UTF-8 file that says so.
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

// Attributes come back sorted and in double quotes; all white space stays;
// text between children moves in front of them, and a CR from a character
// reference is text, not layout.
TEST(XMLRead, HandWrittenFilesKeepTheirLayoutAndWriteBackStably) {
    const struct {
        std::string hand, written;
        std::vector<const char*> path;
        std::string content;
    } kCases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P>\n\t<C>\n\t\t<s v=\"1\"   m=\"0\" />\n\n"
         "\t\t<t m='1' v='T'/>\n\t</C>\n      <N>  spaced  </N>   <L>\n   </L>\n</P>\n",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P>\n\t<C>\n\t\t<s m=\"0\" v=\"1\"/>\n\n"
         "\t\t<t m=\"1\" v=\"T\"/>\n\t</C>\n      <N>  spaced  </N>   <L>\n   </L>\n</P>\n",
         {"P", "N"}, "  spaced  "},
        {"<a>&#13;\n  <b/> x <c/>\n</a>",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a>&#13;\n   x <b/><c/>\n</a>\n", {"a"}, "\r\n   x "}};
    for (const auto& c : kCases) {
        XMLDoc doc = parsed(c.hand);
        EXPECT_EQ(c.written, doc.text());
        EXPECT_EQ(c.written, parsed(c.written).text());
        XMLPos pos(doc);
        for (const char* name : c.path) ASSERT_EQ(1, pos.goDown(name));
        EXPECT_EQ(c.content, pos.content());
    }
}

TEST(XMLText, EscapingAndDecoding) {
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

    // Control characters cannot be written at all; other bytes that are no
    // UTF-8 are Latin-1; long text goes in CDATA sections.
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

}  // namespace
