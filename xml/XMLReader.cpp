#include "XMLReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <strings.h>

// Layout white space. A carriage return only gets here from a character
// reference (the parser turns raw ones into line feeds), so it is text.
static bool isSpace(const XS_String& text) {
    return text.find_first_not_of(" \t\n") == XS_String::npos;
}

// Files saved on Windows often declare windows-1252, which the parser does
// not know. Bytes 0x80..0x9F are its printing characters; the five it leaves
// undefined are malformed, as a byte that is not UTF-8 is in a UTF-8 file:
// such a file is not in the encoding it claims.
static const int kWindows1252High[32] = {
    0x20AC, -1,     0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, -1,     0x017D, -1,
    -1,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, -1,     0x017E, 0x0178};

// ISO-8859-15 is Latin-1 with the euro sign and seven letters in place of
// eight symbols.
static const struct {
    int byte, code;
} kLatin9[8] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
                {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};

static bool isOneOf(const XML_Char* name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (strcasecmp(name, n) == 0) return true;
    return false;
}

// The parser knows ISO-8859-1 by that name only; "latin1" is the same map.
static int XMLCALL onUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    const bool windows = isOneOf(name, {"windows-1252", "cp1252"});
    const bool latin9 = isOneOf(name, {"ISO-8859-15", "ISO8859-15", "latin9", "latin-9"});
    if (!windows && !latin9 && strcasecmp(name, "latin1") != 0) return XML_STATUS_ERROR;
    for (int b = 0; b < 256; b++) info->map[b] = b;
    if (windows)
        for (int b = 0x80; b < 0xA0; b++) info->map[b] = kWindows1252High[b - 0x80];
    if (latin9)
        for (const auto& change : kLatin9) info->map[change.byte] = change.code;
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

XMLReaderBase::XMLReaderBase(XMLDoc& doc) : doc(doc), parser(XML_ParserCreate(nullptr)) {
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetXmlDeclHandler(parser, onDeclaration);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    XML_SetEntityDeclHandler(parser, onEntity);
    XML_SetProcessingInstructionHandler(parser, onInstruction);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetUnknownEncodingHandler(parser, onUnknownEncoding, nullptr);
}

XMLReaderBase::~XMLReaderBase() { XML_ParserFree(parser); }

int XMLReaderBase::parse(const char* data, size_t size, bool final) {
    if (refused) return 0;
    if (XML_Parse(parser, data, (int)size, final) != XML_STATUS_OK || refused) {
        fail(refusal ? refusal : "");
        return 0;
    }
    return 1;
}

void XMLReaderBase::fail(const XS_String& reason, bool atPosition) {
    if (!doc.errors.empty()) return;
    refused = true;
    doc.clear();
    XMLError error;
    error.message = "XML parsing error";
    error.reason = reason.empty() ? XS_String(XML_ErrorString(XML_GetErrorCode(parser))) : reason;
    if (atPosition) {
        error.line = (int)XML_GetCurrentLineNumber(parser);
        error.column = (int)XML_GetCurrentColumnNumber(parser);
    }
    doc.errors.push_back(error);
}

void XMLReaderBase::refuse(const char* reason) {
    refused = true;
    refusal = reason;
    XML_StopParser(parser, XML_FALSE);
}

void XMLReaderBase::onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    XMLReaderBase& r = *(XMLReaderBase*)self;
    if (r.refused) return;
    if ((int)r.open.size() >= kMaxDepth) {
        r.refuse("elements nested too deeply");
        return;
    }
    if (++r.elementCount > kMaxElements) {
        r.refuse("too many elements");
        return;
    }
    XMLNode* parent = r.open.empty() ? &r.doc.top : r.open.back().node;
    parent->children.emplace_back(name);
    XMLNode& node = parent->children.back();
    node.spaceKept = true;
    for (int i = 0; attributes[i]; i += 2) node.attributes[attributes[i]] = attributes[i + 1];
    if (r.open.empty()) {
        // The text outside the root is not reported: the root stands on its own line.
        node.spaceAfter = "\n";
    } else {
        r.open.back().runs.emplace_back();
    }
    r.open.push_back(Open{&node, {XS_String()}});
}

void XMLReaderBase::onEnd(void* self, const XML_Char*) {
    XMLReaderBase& r = *(XMLReaderBase*)self;
    if (r.refused) return;
    r.closeElement();
    r.open.pop_back();
}

// Text directly inside becomes the content; the white space between
// children becomes their layout. The space between two elements is split
// after its first line end: the line's end belongs to the element before,
// the next line's indentation to the element after.
void XMLReaderBase::closeElement() {
    Open& o = open.back();
    XMLNode& node = *o.node;
    const size_t count = node.children.size();
    if (count == 0) {
        node.content = escapeText(o.runs[0]);
        return;
    }
    XS_String text;
    for (const XS_String& run : o.runs)
        if (!isSpace(run)) text += run;
    node.content = escapeText(text);
    for (size_t i = 0; i <= count; i++) {
        const XS_String& run = o.runs[i];
        if (!isSpace(run)) continue;
        if (i == 0) {
            // Without content the writer puts a line end after the start tag itself.
            const bool lineEnd = node.content.empty() && !run.empty() && run[0] == '\n';
            node.children[0].spaceBefore = run.substr(lineEnd ? 1 : 0);
            continue;
        }
        const size_t cut = run.find('\n');
        const size_t split = cut == XS_String::npos ? run.size() : cut + 1;
        node.children[i - 1].spaceAfter = run.substr(0, split);
        (i < count ? node.children[i].spaceBefore : node.spaceBeforeEnd) = run.substr(split);
    }
}

void XMLReaderBase::onText(void* self, const XML_Char* text, int length) {
    XMLReaderBase& r = *(XMLReaderBase*)self;
    if (r.refused || r.open.empty()) return;
    r.open.back().runs.back().append(text, length);
}

void XMLReaderBase::onDeclaration(void* self, const XML_Char* version, const XML_Char* encoding,
                                  int standalone) {
    XMLDoc& doc = ((XMLReaderBase*)self)->doc;
    if (version) doc.version = version;
    // The tree holds UTF-8 whatever the file used, so only that name is kept.
    if (encoding && strcasecmp(encoding, "utf-8") == 0) doc.encoding = encoding;
    doc.standalone = standalone;
}

void XMLReaderBase::onDoctype(void* self, const XML_Char* name, const XML_Char* systemId,
                              const XML_Char* publicId, int) {
    XMLReaderBase& r = *(XMLReaderBase*)self;
    if (systemId || publicId) {
        r.refuse("an external document type is not read");
        return;
    }
    r.doc.doctypeName = name;
}

void XMLReaderBase::onEntity(void* self, const XML_Char*, int, const XML_Char*, int,
                             const XML_Char*, const XML_Char*, const XML_Char*,
                             const XML_Char*) {
    ((XMLReaderBase*)self)->refuse("entity declarations are not read");
}

// Pseudo-attributes of a style-sheet instruction: name="value" pairs.
static XMLStyleSheet parseStyleSheet(const char* data) {
    XMLStyleSheet sheet;
    const char* p = data;
    while (*p) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') p++;
        const char* nameEnd = std::strchr(p, '=');
        if (!nameEnd || (nameEnd[1] != '"' && nameEnd[1] != '\'')) break;
        const char* valueEnd = std::strchr(nameEnd + 2, nameEnd[1]);
        if (!valueEnd) break;
        const XS_String name(p, nameEnd);
        const XS_String value = unescapeText(XS_String(nameEnd + 2, valueEnd));
        if (name == "href") sheet.href = value;
        else if (name == "type") sheet.type = value;
        else if (name == "title") sheet.title = value;
        else if (name == "media") sheet.media = value;
        else if (name == "charset") sheet.charset = value;
        else if (name == "alternate") sheet.alternate = value == "yes";
        p = valueEnd + 1;
    }
    return sheet;
}

void XMLReaderBase::onInstruction(void* self, const XML_Char* target, const XML_Char* data) {
    XMLReaderBase& r = *(XMLReaderBase*)self;
    if (r.refused || !r.open.empty() || r.doc.root()) return;
    if (std::strcmp(target, "xml-stylesheet") == 0)
        r.doc.styleSheets.push_back(parseStyleSheet(data));
}

int XMLReader::readFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        fail(std::strerror(errno), false);
        return 0;
    }
    static const size_t kChunk = 1 << 16;
    std::vector<char> buffer(kChunk);
    size_t total = 0;
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, kChunk, file);
        total += got;
        if (std::ferror(file) || total > XMLDoc::kMaxFileBytes) {
            fail(std::ferror(file) ? std::strerror(errno) : "larger than 4 MB", false);
            break;
        }
        const bool last = got < kChunk;
        if (!parse(buffer.data(), got, last) || last) break;
    }
    std::fclose(file);
    return doc.errors.empty() ? 1 : 0;
}

int XMLReader::readText(const char* data, size_t size) {
    if (size > XMLDoc::kMaxFileBytes) {
        fail("larger than 4 MB", false);
        return 0;
    }
    return parse(data, size, true);
}
