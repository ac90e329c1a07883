// Broken and hostile files must read as "not readable": result 0, an empty
// document and the error record, never a crash, a hang or a file reached
// through the document.
#include "XMLDoc.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) {
    const std::string folder = std::string(TABRELO_BUILD) + "/xml-test-files";
    mkdir(folder.c_str(), 0777);
    return folder + "/" + name;
}

void expectUnreadable(XMLDoc& doc, int result) {
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, doc.errors.size());
    EXPECT_EQ("XML parsing error", doc.errors[0].message);
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

TEST(XMLHostile, MalformedFiles) {
    for (const char* text : {"", "<a>", "<a><b></a>", "<a>text", "<a x='1' x='2'/>", "<a></b>",
                             "<a/><b/>", "<a>&unknown;</a>", "<a>&#0;</a>", "<?xml version='1.0'?>",
                             "<a x=1/>", "<a>\x01</a>", "text only", "<a><!-- open </a>",
                             "<a>\xff\xfe</a>", "<a>\xc3</a>", "<a>\xed\xa0\x80</a>", "<a n='\x80'/>"})
        expectUnreadableText(text);
    for (const char* name : {"x-foo", "windows-1250", "cp-1252", "windows1252", "latin-1", "ascii"})
        expectUnreadableText(std::string("<?xml version='1.0' encoding='") + name + "'?><a>x</a>");
}

TEST(XMLHostile, ReadingKeepsNothingOfAnEarlierDocument) {
    XMLDoc doc;
    const std::string good = "<?xml-stylesheet href='a' type='b'?><a><b/></a>";
    ASSERT_EQ(1, doc.readText(good.data(), good.size()));
    ASSERT_EQ(1u, doc.styleSheets.size());
    const std::string bad = "<?xml-stylesheet href='a' type='b'?><a><b></a>";
    expectUnreadable(doc, doc.readText(bad.data(), bad.size()));
    ASSERT_EQ(1, doc.readText(good.data(), good.size()));
    EXPECT_TRUE(doc.errors.empty());
}

TEST(XMLHostile, MissingFileAndFolder) {
    XMLDoc doc;
    expectUnreadable(doc, doc.read(tempPath("does-not-exist.xml").c_str()));
    EXPECT_EQ(0, doc.errors[0].line);  // no place in the file is at fault
    const std::string folder = tempPath("a-folder");
    mkdir(folder.c_str(), 0777);
    expectUnreadable(doc, doc.read(folder.c_str()));
    EXPECT_EQ(0, doc.errors[0].line);
}

TEST(XMLHostile, HugeFileIsRefusedUnread) {
    // 100 MB of a well-formed element: far beyond any study file.
    const std::string path = tempPath("huge.xml");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ASSERT_GE(fd, 0);
    const std::string head = "<a>";
    ASSERT_EQ((ssize_t)head.size(), write(fd, head.data(), head.size()));
    const std::string spaces(1 << 20, ' ');
    for (int i = 0; i < 100; i++) ASSERT_EQ((ssize_t)spaces.size(), write(fd, spaces.data(), spaces.size()));
    ASSERT_EQ(4, write(fd, "</a>", 4));
    close(fd);
    XMLDoc doc;
    expectUnreadable(doc, doc.read(path.c_str()));
    unlink(path.c_str());

    const std::string big = "<a>" + std::string(XMLDoc::kMaxFileBytes, ' ') + "</a>";
    expectUnreadableText(big);
}

TEST(XMLHostile, DeepNestingAndElementFloods) {
    std::string deep;
    for (int i = 0; i < 100000; i++) deep += "<a>";
    for (int i = 0; i < 100000; i++) deep += "</a>";
    expectUnreadableText(deep);

    std::string flat = "<r>";
    for (int i = 0; i < 200000; i++) flat += "<a/>";
    flat += "</r>";
    expectUnreadableText(flat);

    // Nesting of a normal depth still reads.
    std::string fine;
    for (int i = 0; i < 100; i++) fine += "<a>";
    for (int i = 0; i < 100; i++) fine += "</a>";
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(fine.data(), fine.size()));
}

TEST(XMLHostile, EntityBombs) {
    expectUnreadableText(
        "<?xml version='1.0'?>\n<!DOCTYPE l [\n"
        " <!ENTITY l0 'ha'>\n"
        " <!ENTITY l1 '&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;'>\n"
        " <!ENTITY l2 '&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;'>\n"
        " <!ENTITY l3 '&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;'>\n"
        " <!ENTITY l4 '&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;'>\n"
        " <!ENTITY l5 '&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;'>\n"
        " <!ENTITY l6 '&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;'>\n"
        " <!ENTITY l7 '&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;'>\n"
        " <!ENTITY l8 '&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;'>\n"
        " <!ENTITY l9 '&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;'>\n"
        "]>\n<l>&l9;</l>\n");
    // Even a harmless-looking entity is refused, and one in an attribute default.
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p 'x'>]><a/>");
}

TEST(XMLHostile, NothingOutsideTheFileIsLoaded) {
    const std::string secret = tempPath("secret.txt");
    { FILE* f = fopen(secret.c_str(), "w"); fputs("SECRET", f); fclose(f); }
    const std::string dtd = tempPath("evil.dtd");
    { FILE* f = fopen(dtd.c_str(), "w"); fprintf(f, "<!ENTITY e SYSTEM 'file://%s'>", secret.c_str()); fclose(f); }
    expectUnreadableText("<!DOCTYPE a SYSTEM 'file://" + dtd + "'><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a SYSTEM 'file://" + dtd + "'><a/>");
    expectUnreadableText("<!DOCTYPE a PUBLIC '-//X//Y//EN' 'http://example.invalid/a.dtd'><a/>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e SYSTEM 'file://" + secret + "'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p SYSTEM 'file://" + dtd + "'> %p;]><a>&e;</a>");
}

TEST(XMLHostile, UndefinedWindows1252Bytes) {
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
}

TEST(XMLHostile, Windows1252FilesKeepTheLimits) {
    const std::string head = "<?xml version='1.0' encoding='cp1252'?>\n";
    expectUnreadableText(head + "<!DOCTYPE a [<!ENTITY e '\x80'>]><a>&e;</a>");
    expectUnreadableText(head + "<!DOCTYPE a SYSTEM 'file:///etc/passwd'><a/>");
    std::string deep = head;
    for (int i = 0; i < 1000; i++) deep += "<a>";
    for (int i = 0; i < 1000; i++) deep += "</a>";
    expectUnreadableText(deep);
}

}  // namespace
