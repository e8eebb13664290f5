// xml_parser.h — the small XML reader the level files go through.
//
// Accepts a narrow grammar: an optional <?xml ...?> declaration, one root
// element, nested elements with double-quoted attributes, text, CDATA sections
// and comments. Names are a letter followed by letters and digits. Text is
// kept verbatim (no entity decoding, no trimming). The first thing it does not
// accept ends the program with a runtime error
// "XMLParser:: Expected <what> at position <n>. Found <what> instead."
#pragma once

#include <map>
#include <vector>

#include "host/object.h"
#include "host/text.h"

// One element: its name, attributes, text content and child elements.
class c_XMLNode final : public Object {
public:
    explicit c_XMLNode(StringView nodeName = u"", StringView nodeValue = u"") : value(nodeValue), name(nodeName) {}

    String ToString() const override { return u"<" + name + u">"; }

    // The attribute's value, or the empty string when there is none.
    String GetAttribute(StringView attrName) const;
    // Direct children, in order, whose name equals `childName` (any name when
    // empty) and whose attribute `attrName` equals `attrValue` (no attribute
    // test when `attrName` is empty). A new list on every call.
    std::vector<Ref<c_XMLNode>> GetChildren(StringView childName = u"", StringView attrName = u"",
                                            StringView attrValue = u"") const;
    // The first child that matches as in GetChildren; when none does, this
    // node's shared empty node, so that lookups chain without null checks.
    Ref<c_XMLNode> GetChild(StringView childName = u"", StringView attrName = u"", StringView attrValue = u"");

    std::vector<Ref<c_XMLNode>> children;
    std::map<String, String, std::less<>> attributes;
    Ref<c_XMLNode> emptyNode;
    String value;
    String name;

private:
    bool Matches(StringView childName, StringView attrName, StringView attrValue) const;
};

class c_XMLParser final : public Object {
public:
    // Elements nested deeper than this end in a runtime error rather than
    // exhausting the stack; level files nest four or five deep.
    static constexpr int kMaxDepth = 256;

    // Parses a whole document and returns its root element. Nothing after the
    // root element is examined.
    Ref<c_XMLNode> Parse(StringView text);

    String ToString() const override { return u"c_XMLParser"; }

    String chars;  // the document, one 16-bit character per entry
    int pos = 0;   // index of the next character
    Ref<c_XMLNode> root;
    std::map<String, String, std::less<>> declaration;

private:
    int Peek(int offset = 0) const;
    bool At(StringView text) const;
    [[noreturn]] void Fail(StringView expected, StringView found) const;
    static String Describe(int code);
    static bool IsWhitespace(int code);
    static bool IsLetter(int code);
    static bool IsLetterOrDigit(int code);

    void SkipWhitespace();
    void Expect(int code);
    String ReadIdentifier();
    void ExpectName(StringView expectedName);
    String ReadQuoted();
    String ReadAttributeValue();
    void ReadAttributes(std::map<String, String, std::less<>>& into, int terminator);
    void SkipComment();
    String ReadCData();
    String ReadText();
    void ReadDeclaration();
    void SkipDoctype();
    Ref<c_XMLNode> ReadElement(int depth);
};
