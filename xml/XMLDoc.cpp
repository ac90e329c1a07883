#include "XMLDoc.h"

#include "XMLReader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void XMLDoc::clear() { *this = XMLDoc(); }

XS_String XMLDoc::errorText() const {
    if (errors.empty()) return XS_String();
    const XMLError& error = errors[0];
    if (error.line == 0) return error.reason;
    return "line " + std::to_string(error.line) + ": " + error.reason;
}

int XMLDoc::read(const char* path) {
    clear();
    return XMLReader(*this).readFile(path);
}

int XMLDoc::readText(const char* data, size_t size) {
    clear();
    return XMLReader(*this).readText(data, size);
}

static void writeNode(const XMLNode& node, int depth, XS_String& out) {
    const XS_String indent(2 * depth, ' ');
    out += node.spaceKept ? node.spaceBefore : indent;
    out += '<';
    out += node.name;
    for (const auto& attribute : node.attributes) {
        out += ' ';
        out += attribute.first;
        out += "=\"";
        out += escapeAttribute(attribute.second);
        out += '"';
    }
    if (node.children.empty() && node.content.empty()) {
        out += "/>";
    } else {
        out += '>';
        out += node.content.empty() ? XS_String("\n") : node.content;
        for (const XMLNode& child : node.children) writeNode(child, depth + 1, out);
        if (!node.children.empty()) out += node.spaceKept ? node.spaceBeforeEnd : indent;
        out += "</";
        out += node.name;
        out += '>';
    }
    out += node.spaceKept ? node.spaceAfter : XS_String("\n");
}

static void addPseudoAttribute(XS_String& out, const char* name, const XS_String& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += escapeAttribute(value);
    out += '"';
}

XS_String XMLDoc::text() const {
    XS_String out = "<?xml";
    addPseudoAttribute(out, "version", version);
    addPseudoAttribute(out, "encoding", encoding);
    if (standalone >= 0) addPseudoAttribute(out, "standalone", standalone ? "yes" : "no");
    out += "?>\n";
    if (!doctypeName.empty()) {
        out += "<!DOCTYPE " + doctypeName;
        if (!doctypePublic.empty())
            out += " PUBLIC \"" + doctypePublic + "\" \"" + doctypeSystem + "\"";
        else if (!doctypeSystem.empty())
            out += " SYSTEM \"" + doctypeSystem + "\"";
        out += ">\n";
    }
    for (const XMLStyleSheet& sheet : styleSheets) {
        out += "<?xml-stylesheet";
        addPseudoAttribute(out, "href", sheet.href);
        addPseudoAttribute(out, "type", sheet.type);
        if (!sheet.title.empty()) addPseudoAttribute(out, "title", sheet.title);
        if (!sheet.media.empty()) addPseudoAttribute(out, "media", sheet.media);
        if (!sheet.charset.empty()) addPseudoAttribute(out, "charset", sheet.charset);
        if (sheet.alternate) addPseudoAttribute(out, "alternate", "yes");
        out += "?>\n";
    }
    for (const XMLNode& node : top.children) writeNode(node, 0, out);
    return out;
}

static bool writeAll(int fd, const XS_String& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += (size_t)n;
    }
    return true;
}

int XMLDoc::write(const char* path) const {
    const XS_String data = text();
    char temp[4096];
    const int n = std::snprintf(temp, sizeof temp, "%s.tmp%ld", path, (long)getpid());
    if (n <= 0 || n >= (int)sizeof temp) return 0;
    const int fd = ::open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return 0;
    // A file shared by a group of researchers must stay as shared as it was.
    struct stat old;
    bool ok = true;
    if (::stat(path, &old) == 0) {
        // Only a member of the group may give it the file; others keep their own.
        ok = ::fchown(fd, (uid_t)-1, old.st_gid) == 0 || errno == EPERM;
        ok = ok && ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    // fsync before rename: the new name must never point at unwritten blocks.
    ok = ok && writeAll(fd, data) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp, path) == 0;
    if (!ok) ::unlink(temp);
    return ok ? 1 : 0;
}

// Filter of a go-down name: "[n]" (1-based) or "[@name='value']".
static bool matchesFilter(const XMLNode& node, const XS_String& filter, int& seen) {
    if (filter.empty()) return true;
    if (filter[0] == '@') {
        const size_t eq = filter.find('=');
        if (eq == XS_String::npos || filter.size() < eq + 3) return false;
        const char quote = filter[eq + 1];
        if ((quote != '\'' && quote != '"') || filter.back() != quote) return false;
        const auto found = node.attributes.find(filter.substr(1, eq - 1));
        return found != node.attributes.end() &&
               found->second == filter.substr(eq + 2, filter.size() - eq - 3);
    }
    if (filter.find_first_not_of("0123456789") != XS_String::npos || filter.size() > 9)
        return false;
    return ++seen == std::atoi(filter.c_str());
}

int XMLPos::goDown(const XS_String& name) {
    XS_String base = name, filter;
    const size_t open = name.find('[');
    if (open != XS_String::npos) {
        if (name.back() != ']') return 0;
        base = name.substr(0, open);
        filter = name.substr(open + 1, name.size() - open - 2);
        if (filter.empty()) return 0;
    }
    int seen = 0;
    for (XMLNode& child : node().children) {
        if (child.name == base && matchesFilter(child, filter, seen)) {
            path.push_back(&child);
            return 1;
        }
    }
    return 0;
}

void XMLPos::back() {
    if (path.size() > 1) path.pop_back();
}

void XMLPos::create(const XS_String& name) {
    node().children.emplace_back(name);
    path.push_back(&node().children.back());
}

XS_String XMLPos::attribute(const XS_String& name) {
    const auto found = node().attributes.find(name);
    return found == node().attributes.end() ? XS_String() : found->second;
}

void XMLPos::setAttribute(const XS_String& name, const XS_String& value) {
    node().attributes[name] = value;
}

XS_String XMLPos::content() { return unescapeText(node().content); }

void XMLPos::setContent(const XS_String& text) { node().content = escapeText(text); }

// Valid UTF-8 is kept; any other byte is read as Latin-1 and re-encoded.
// Control characters that XML cannot carry are dropped.
static XS_String cleanText(const XS_String& value) {
    XS_String out;
    const size_t n = value.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = (unsigned char)value[i];
        if (c < 0x80) {
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += (char)c;
            i++;
            continue;
        }
        int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                   : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        unsigned code = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < length; k++) {
            const unsigned char next = i + k < n ? (unsigned char)value[i + k] : 0;
            if ((next & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            code = code << 6 | (next & 0x3F);
        }
        const bool shortest = (length == 2) || (length == 3 && code >= 0x800) ||
                              (length == 4 && code >= 0x10000 && code <= 0x10FFFF);
        const bool xmlChar = !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
                             code != 0xFFFF;
        if (length && shortest && xmlChar) {
            out.append(value, i, length);
            i += length;
        } else {
            out += (char)(0xC0 | c >> 6);
            out += (char)(0x80 | (c & 0x3F));
            i++;
        }
    }
    return out;
}

static XS_String escapeEntities(const XS_String& value, bool attribute) {
    XS_String out;
    for (const char c : value) {
        switch (c) {
        case '"': out += "&quot;"; break;
        case '&': out += "&amp;"; break;
        case '\'': out += "&apos;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break;
        case '\n': out += attribute ? "&#10;" : "\n"; break;
        case '\t': out += attribute ? "&#9;" : "\t"; break;
        default: out += c;
        }
    }
    return out;
}

XS_String escapeText(const XS_String& value) {
    const XS_String text = cleanText(value);
    // A value holding "]]>" cannot sit in one CDATA section, and a CR in
    // one would read back as a line feed.
    if (text.size() > 2048 && text.find("]]>") == XS_String::npos &&
        text.find('\r') == XS_String::npos)
        return "<![CDATA[" + text + "]]>";
    return escapeEntities(text, false);
}

XS_String escapeAttribute(const XS_String& value) { return escapeEntities(cleanText(value), true); }

static void appendUtf8(XS_String& out, unsigned long code) {
    if (code < 0x80) {
        out += (char)code;
    } else if (code < 0x800) {
        out += (char)(0xC0 | code >> 6);
        out += (char)(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += (char)(0xE0 | code >> 12);
        out += (char)(0x80 | (code >> 6 & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    } else {
        out += (char)(0xF0 | code >> 18);
        out += (char)(0x80 | (code >> 12 & 0x3F));
        out += (char)(0x80 | (code >> 6 & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    }
}

// Decodes the reference at text[i] ("&amp;", "&#13;", "&#x42;") into out:
// its length, or 0 when there is none.
static size_t decodeReference(const XS_String& text, size_t i, XS_String& out) {
    static const struct {
        const char* reference;
        char c;
    } kEntities[] = {{"&quot;", '"'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}};
    for (const auto& entity : kEntities) {
        const size_t length = std::strlen(entity.reference);
        if (text.compare(i, length, entity.reference) == 0) {
            out += entity.c;
            return length;
        }
    }
    if (text.compare(i, 2, "&#") != 0) return 0;
    const bool hex = text.compare(i, 3, "&#x") == 0;
    const size_t start = i + (hex ? 3 : 2);
    const size_t end = text.find(';', start);
    if (end == XS_String::npos || end == start || end - start > 8) return 0;
    const XS_String digits = text.substr(start, end - start);
    if (digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != XS_String::npos)
        return 0;
    const unsigned long code = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
    if (code == 0 || code > 0x10FFFF) return 0;
    appendUtf8(out, code);
    return end + 1 - i;
}

XS_String unescapeText(const XS_String& escaped) {
    XS_String out;
    for (size_t i = 0; i < escaped.size();) {
        if (escaped.compare(i, 9, "<![CDATA[") == 0) {
            const size_t end = escaped.find("]]>", i + 9);
            if (end != XS_String::npos) {
                out.append(escaped, i + 9, end - i - 9);
                i = end + 3;
                continue;
            }
        }
        const size_t length = escaped[i] == '&' ? decodeReference(escaped, i, out) : 0;
        if (length > 0)
            i += length;
        else
            out += escaped[i++];
    }
    return out;
}
