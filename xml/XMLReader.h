// The parser front end: expat underneath, the document tree built here.
#pragma once

#include "XMLDoc.h"

#include <expat.h>

// Builds a document from bytes handed over in pieces. It refuses whatever
// could make reading unbounded or reach outside the file: entity
// declarations, external document types, nesting deeper than kMaxDepth,
// more than kMaxElements elements. Files may be in UTF-8, UTF-16,
// ISO-8859-1 (also named latin1), ISO-8859-15 (latin9), US-ASCII or
// windows-1252 (also named cp1252); the document always holds UTF-8.
class XMLReaderBase {
public:
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxElements = 100000;

    explicit XMLReaderBase(XMLDoc& doc);
    ~XMLReaderBase();
    XMLReaderBase(const XMLReaderBase&) = delete;
    XMLReaderBase& operator=(const XMLReaderBase&) = delete;

    // 1 while the input is well-formed so far; final marks the last piece.
    int parse(const char* data, size_t size, bool final);

protected:
    XMLDoc& doc;
    // The document becomes empty with one "XML parsing error" record: the
    // given reason, or else the parser's own, at the parser's position
    // unless the file as a whole is at fault.
    void fail(const XS_String& reason = XS_String(), bool atPosition = true);

private:
    struct Open {
        XMLNode* node;
        std::vector<XS_String> runs;  // text before each child, then after the last
    };
    XML_Parser parser;
    std::vector<Open> open;
    int elementCount = 0;
    bool refused = false;
    const char* refusal = nullptr;

    void refuse(const char* reason);
    void closeElement();
    static void onStart(void* self, const XML_Char* name, const XML_Char** attributes);
    static void onEnd(void* self, const XML_Char* name);
    static void onText(void* self, const XML_Char* text, int length);
    static void onDeclaration(void* self, const XML_Char* version, const XML_Char* encoding,
                              int standalone);
    static void onDoctype(void* self, const XML_Char* name, const XML_Char* systemId,
                          const XML_Char* publicId, int hasInternalSubset);
    static void onEntity(void* self, const XML_Char* name, int isParameter,
                         const XML_Char* value, int valueLength, const XML_Char* base,
                         const XML_Char* systemId, const XML_Char* publicId,
                         const XML_Char* notation);
    static void onInstruction(void* self, const XML_Char* target, const XML_Char* data);
};

// Reads a whole file or buffer into the document (emptied first).
class XMLReader : public XMLReaderBase {
public:
    explicit XMLReader(XMLDoc& doc) : XMLReaderBase(doc) {}
    int readFile(const char* path);
    int readText(const char* data, size_t size);
};
