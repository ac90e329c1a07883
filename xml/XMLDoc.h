// The XML layer of the study files: a file is read into a tree of elements
// with their attributes, their text and the white space around them, and
// written back indented so that a file read and written again keeps its
// layout. Nothing outside this folder touches XML.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

typedef std::string XS_String;  // UTF-8 text

// An element. Children are held by value: a pointer to an element stays
// valid while elements are added elsewhere, but not while its own parent
// gains children.
struct XMLNode {
    XS_String name;
    std::map<XS_String, XS_String> attributes;  // decoded values, sorted by name
    std::vector<XMLNode> children;
    XS_String content;  // the text directly inside, escaped as written to a file
    // White space read from a file, written back as it was; elements made by
    // the program (spaceKept false) get two blanks per level and line ends.
    bool spaceKept = false;
    XS_String spaceBefore, spaceBeforeEnd, spaceAfter;

    explicit XMLNode(const XS_String& name = XS_String()) : name(name) {}
};

struct XMLError {
    XS_String message;
    XS_String reason;  // what was wrong, in words, for a console line
    int line = 0;  // 0 when the file as a whole is at fault
    int column = 0;
};

struct XMLStyleSheet {
    XS_String href, type, title, media, charset;
    bool alternate = false;
};

struct XMLDoc {
    // Files bigger than this are refused unread: study files are a few KB.
    static constexpr size_t kMaxFileBytes = 4 << 20;

    XS_String version = "1.0";
    XS_String encoding = "utf-8";
    int standalone = -1;  // -1 not given, 0 "no", 1 "yes"
    XS_String doctypeName, doctypePublic, doctypeSystem;  // no name: no document type
    std::vector<XMLStyleSheet> styleSheets;
    // Holds the root element as its one child, so that a position at the top
    // goes down to the root by name and creates it by name.
    XMLNode top;
    std::vector<XMLError> errors;

    // 1 when the file was opened and parsed without error. Otherwise 0, the
    // document is empty and errors holds "XML parsing error"; nothing is printed.
    int read(const char* path);
    int readText(const char* data, size_t size);
    // The file as write() writes it.
    XS_String text() const;
    // Writes a temporary file beside path and renames it over path, so path
    // is always the old or the new file, complete; a replaced file keeps its
    // mode and, where the system allows, its group. 1 on success, 0 when
    // anything failed (the old file is then untouched).
    int write(const char* path) const;
    void clear();
    // The first error for a console line: "line 3: mismatched tag", or the
    // reason alone; empty when there is none.
    XS_String errorText() const;
    XMLNode* root() { return top.children.empty() ? nullptr : &top.children[0]; }
};

// The caller's cursor: the current element and the path of elements above
// it, starting at the document's top (above the root).
struct XMLPos {
    explicit XMLPos(XMLDoc& doc) : path{&doc.top} {}
    XMLNode& node() { return *path.back(); }
    // Moves to the first child of that name: 1, or 0 and no move. The name
    // may carry a filter: "ITEM[2]" (the second ITEM) or "ITEM[@id='x']".
    int goDown(const XS_String& name);
    // Moves to the parent; at the top it stays.
    void back();
    // Appends a new child and moves to it.
    void create(const XS_String& name);
    XS_String attribute(const XS_String& name);  // empty when missing
    void setAttribute(const XS_String& name, const XS_String& value);
    XS_String content();  // decoded
    void setContent(const XS_String& text);

private:
    std::vector<XMLNode*> path;
};

// Text as stored in content: entity references for " & ' < >, a character
// reference for CR, one CDATA section for values over 2048 bytes. Bytes
// that are not UTF-8 are taken as Latin-1 and control characters other
// than tab, line feed and CR are dropped, so the file always reads back.
XS_String escapeText(const XS_String& value);
// Attribute values are never CDATA, and keep tabs and line ends as
// character references (a parser turns the raw ones into blanks).
XS_String escapeAttribute(const XS_String& value);
XS_String unescapeText(const XS_String& escaped);
