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

// No place in a missing file or a folder is at fault; a file far beyond any
// study file is refused unread.
TEST(XMLHostile, MissingFileFolderAndHugeFile) {
    const std::string folder = tempPath("a-folder"), huge = tempPath("huge.xml");
    mkdir(folder.c_str(), 0777);
    close(creat(huge.c_str(), 0666));
    ASSERT_EQ(0, truncate(huge.c_str(), 100 << 20));
    for (const std::string& path : {tempPath("does-not-exist.xml"), folder}) {
        XMLDoc doc;
        expectUnreadable(doc, doc.read(path.c_str()));
        EXPECT_EQ(0, doc.errors[0].line);
    }
    XMLDoc doc;
    expectUnreadable(doc, doc.read(huge.c_str()));
    unlink(huge.c_str());
    expectUnreadableText("<a>" + std::string(XMLDoc::kMaxFileBytes, ' ') + "</a>");
}

TEST(XMLHostile, DeepNestingAndElementFloods) {
    expectUnreadableText(repeated("<a>", 100000) + repeated("</a>", 100000));
    expectUnreadableText("<r>" + repeated("<a/>", 200000) + "</r>");
    const std::string fine = repeated("<a>", 100) + repeated("</a>", 100);
    XMLDoc doc;
    EXPECT_EQ(1, doc.readText(fine.data(), fine.size()));
}

// Entities are refused, harmless-looking ones too, and nothing outside the
// file is loaded.
TEST(XMLHostile, EntitiesAndOutsideFiles) {
    std::string bomb = "<?xml version='1.0'?>\n<!DOCTYPE l [\n <!ENTITY l0 'ha'>\n";
    for (int i = 1; i < 10; i++)
        bomb += " <!ENTITY l" + std::to_string(i) + " '" + repeated("&l" + std::to_string(i - 1) + ";", 10) + "'>\n";
    expectUnreadableText(bomb + "]>\n<l>&l9;</l>\n");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p 'x'>]><a/>");
    const std::string secret = tempPath("secret.txt"), dtd = tempPath("evil.dtd");
    { FILE* f = fopen(secret.c_str(), "w"); fputs("SECRET", f); fclose(f); }
    { FILE* f = fopen(dtd.c_str(), "w"); fprintf(f, "<!ENTITY e SYSTEM 'file://%s'>", secret.c_str()); fclose(f); }
    expectUnreadableText("<!DOCTYPE a SYSTEM 'file://" + dtd + "'><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a PUBLIC '-//X//Y//EN' 'http://example.invalid/a.dtd'><a/>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY e SYSTEM 'file://" + secret + "'>]><a>&e;</a>");
    expectUnreadableText("<!DOCTYPE a [<!ENTITY % p SYSTEM 'file://" + dtd + "'> %p;]><a>&e;</a>");
}

// Bytes Windows-1252 leaves undefined are refused with their line; such
// files keep the limits of every file.
TEST(XMLHostile, Windows1252FilesKeepTheRules) {
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
}

}  // namespace
