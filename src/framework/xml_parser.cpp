// xml_parser.cpp — one forward pass over the document with at most two
// characters of look-ahead; recursion per element, bounded by kMaxDepth.
#include "framework/xml_parser.h"

#include "host/runtime_error.h"

namespace {

// Marks "no terminator" for the attribute loop; never equal to a peek result.
constexpr int kNoTerminator = -2;
constexpr int kEof = -1;
constexpr StringView kCDataOpen = u"<![CDATA[";
constexpr StringView kCDataClose = u"]]>";
constexpr StringView kCommentOpen = u"<!--";
constexpr StringView kCommentClose = u"-->";
constexpr StringView kDoctypeOpen = u"<!DOCTYPE";

}  // namespace

// ---- c_XMLNode ------------------------------------------------------------

String c_XMLNode::GetAttribute(StringView attrName) const {
    auto it = attributes.find(attrName);
    return it == attributes.end() ? String() : it->second;
}

bool c_XMLNode::Matches(StringView childName, StringView attrName, StringView attrValue) const {
    if (!childName.empty() && name != childName) return false;
    if (attrName.empty()) return true;
    auto it = attributes.find(attrName);
    // A missing attribute reads as the empty string.
    return it == attributes.end() ? attrValue.empty() : it->second == attrValue;
}

std::vector<Ref<c_XMLNode>> c_XMLNode::GetChildren(StringView childName, StringView attrName,
                                                   StringView attrValue) const {
    std::vector<Ref<c_XMLNode>> found;
    for (const auto& child : children)
        if (child->Matches(childName, attrName, attrValue)) found.push_back(child);
    return found;
}

Ref<c_XMLNode> c_XMLNode::GetChild(StringView childName, StringView attrName, StringView attrValue) {
    for (const auto& child : children)
        if (child->Matches(childName, attrName, attrValue)) return child;
    if (!emptyNode) emptyNode = New<c_XMLNode>();
    return emptyNode;
}

// ---- c_XMLParser: character access ------------------------------------------

int c_XMLParser::Peek(int offset) const {
    std::size_t at = static_cast<std::size_t>(pos) + static_cast<std::size_t>(offset);
    return at < chars.size() ? static_cast<int>(chars[at]) : kEof;
}

bool c_XMLParser::At(StringView text) const {
    return StringView(chars).substr(static_cast<std::size_t>(pos)).starts_with(text);
}

bool c_XMLParser::IsWhitespace(int code) { return code == 13 || code == 10 || code == 32 || code == 9; }

bool c_XMLParser::IsLetter(int code) { return (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z'); }

bool c_XMLParser::IsLetterOrDigit(int code) { return IsLetter(code) || (code >= '0' && code <= '9'); }

String c_XMLParser::Describe(int code) {
    if (code == kEof) return u"EOF";
    return u"'" + String(1, static_cast<char16_t>(code)) + u"'[" + IntToString(code) + u"]";
}

void c_XMLParser::Fail(StringView expected, StringView found) const {
    RuntimeError(u"XMLParser:: Expected " + String(expected) + u" at position " + IntToString(pos) + u". Found " +
                 String(found) + u" instead.");
}

// ---- c_XMLParser: primitive steps -------------------------------------------

void c_XMLParser::SkipWhitespace() {
    while (IsWhitespace(Peek())) ++pos;
}

void c_XMLParser::Expect(int code) {
    SkipWhitespace();
    if (Peek() != code) Fail(Describe(code), Describe(Peek()));
    ++pos;
    SkipWhitespace();
}

String c_XMLParser::ReadIdentifier() {
    SkipWhitespace();
    if (!IsLetter(Peek())) Fail(u"valid identifier", Describe(Peek()));
    int start = pos;
    while (IsLetterOrDigit(Peek())) ++pos;
    String id = chars.substr(start, pos - start);
    SkipWhitespace();
    return id;
}

void c_XMLParser::ExpectName(StringView expectedName) {
    SkipWhitespace();
    int start = pos;
    while (IsLetterOrDigit(Peek())) ++pos;
    String run = chars.substr(start, pos - start);
    if (run != expectedName) Fail(u"'" + String(expectedName) + u"'", u"'" + run + u"'");
}

String c_XMLParser::ReadQuoted() {
    std::size_t end = chars.find(u'"', pos);
    if (end == String::npos) {
        pos = static_cast<int>(chars.size());
        Fail(Describe('"'), u"EOF");
    }
    String text = chars.substr(pos, end - pos);
    pos = static_cast<int>(end);
    return text;
}

String c_XMLParser::ReadAttributeValue() {
    SkipWhitespace();
    Expect('"');
    String text = ReadQuoted();
    Expect('"');
    SkipWhitespace();
    return text;
}

void c_XMLParser::ReadAttributes(std::map<String, String, std::less<>>& into, int terminator) {
    for (;;) {
        int next = Peek();
        if (next == '>' || next == '/' || next == terminator) return;
        String attrName = ReadIdentifier();
        SkipWhitespace();
        if (Peek() != '=') Fail(Describe('='), Describe(Peek()));
        ++pos;
        SkipWhitespace();
        into[attrName] = ReadAttributeValue();
    }
}

void c_XMLParser::SkipComment() {
    if (!At(kCommentOpen)) return;
    pos += static_cast<int>(kCommentOpen.size());
    std::size_t end = chars.find(kCommentClose, pos);
    if (end == String::npos) {
        pos = static_cast<int>(chars.size());
        Fail(kCommentClose, u"EOF");
    }
    pos = static_cast<int>(end + kCommentClose.size());
}

String c_XMLParser::ReadCData() {
    if (!At(kCDataOpen)) return String();
    pos += static_cast<int>(kCDataOpen.size());
    std::size_t end = chars.find(kCDataClose, pos);
    if (end == String::npos) {
        pos = static_cast<int>(chars.size());
        Fail(kCDataClose, u"EOF");
    }
    String text = chars.substr(pos, end - pos);
    pos = static_cast<int>(end + kCDataClose.size());
    return text;
}

String c_XMLParser::ReadText() {
    String text;
    do {
        if (At(kCDataOpen)) {
            text += ReadCData();
        } else {
            std::size_t end = chars.find(u'<', pos);
            if (end == String::npos) end = chars.size();
            text.append(chars, pos, end - pos);
            pos = static_cast<int>(end);
        }
    } while (Peek() != '<' && Peek() != kEof);
    return text;
}

// ---- c_XMLParser: document structure ----------------------------------------

void c_XMLParser::ReadDeclaration() {
    SkipWhitespace();
    if (!At(u"<?")) return;
    Expect('<');
    Expect('?');
    ExpectName(u"xml");
    ReadAttributes(declaration, '?');
    Expect('?');
    Expect('>');
}

void c_XMLParser::SkipDoctype() {
    // The document type only names a grammar the game never checks, so it is
    // passed over whole: quoted identifiers and an internal subset in [ ]
    // (with its own quoted values and comments) may hold a '>' or ']'.
    pos += static_cast<int>(kDoctypeOpen.size());
    bool inSubset = false;
    for (;;) {
        int c = Peek();
        if (c == kEof) Fail(inSubset ? u"]" : u">", u"EOF");
        if (c == '"' || c == '\'') {
            std::size_t end = chars.find(static_cast<char16_t>(c), static_cast<std::size_t>(pos) + 1);
            if (end == String::npos) {
                pos = static_cast<int>(chars.size());
                Fail(Describe(c), u"EOF");
            }
            pos = static_cast<int>(end) + 1;
        } else if (inSubset && At(kCommentOpen)) {
            SkipComment();
        } else {
            ++pos;
            if (c == '[') inSubset = true;
            if (c == ']') inSubset = false;
            if (c == '>' && !inSubset) return;
        }
    }
}

Ref<c_XMLNode> c_XMLParser::ReadElement(int depth) {
    auto node = New<c_XMLNode>();
    SkipComment();
    if (depth > kMaxDepth)
        Fail(u"at most " + IntToString(kMaxDepth) + u" levels of nested elements", u"a deeper element");
    Expect('<');
    node->name = ReadIdentifier();
    if (Peek() != '>') ReadAttributes(node->attributes, kNoTerminator);
    if (Peek() == '/') {
        Expect('/');
        Expect('>');
        return node;
    }
    Expect('>');
    SkipComment();
    for (;;) {
        if (At(u"</")) break;
        // "<!" that opens neither a comment nor CDATA is read as an element,
        // which reports it; taking it as text would never move past it.
        if (Peek() != '<' || At(kCommentOpen) || At(kCDataOpen)) {
            node->value += ReadText();
        } else {
            node->children.push_back(ReadElement(depth + 1));
        }
        SkipComment();
        if (Peek() == kEof) break;
    }
    Expect('<');
    Expect('/');
    ExpectName(node->name);
    Expect('>');
    return node;
}

Ref<c_XMLNode> c_XMLParser::Parse(StringView text) {
    chars = String(text);
    pos = 0;
    root = nullptr;
    declaration.clear();
    ReadDeclaration();
    // Comments and a document type may come before the root element.
    for (;;) {
        SkipWhitespace();
        if (At(kCommentOpen)) {
            SkipComment();
        } else if (At(kDoctypeOpen)) {
            SkipDoctype();
        } else {
            break;
        }
    }
    root = ReadElement(1);
    return root;
}
