// The XML reader: the tree it builds, text, comments, declarations and
// attributes, lookups, the nesting limit, and the runtime errors for bad
// input (in child processes).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "framework/xml_parser.h"

namespace {

Ref<c_XMLNode> ParseText(StringView text) { return New<c_XMLParser>()->Parse(text); }

// Regex for the exact text of the runtime-error report.
std::string Exactly(const std::string& text) {
    std::string re;
    for (char c : text) {
        if (std::string(".[]{}()*+?^$|\\").find(c) != std::string::npos) re += '\\';
        re += c;
    }
    return re;
}

// Runs a parse that must end in a runtime error. The report goes to standard
// output and the debugger protocol then waits on standard input, so the child
// sends its output where the death test reads it and gets no debugger.
void ParseInChild(const String& text) {
    dup2(2, 1);
    if (!std::freopen("/dev/null", "r", stdin)) return;
    ParseText(text);
}

}  // namespace

TEST(XMLParser, BuildsTheTree) {
    auto map = ParseText(u"<map a=\"1\" b=\"2\"><layer name=\"x\"/></map>");
    EXPECT_EQ(map->name, u"map");
    EXPECT_EQ(map->GetAttribute(u"a"), u"1");
    EXPECT_EQ(map->GetAttribute(u"b"), u"2");
    ASSERT_EQ(map->children.size(), 1u);
    EXPECT_EQ(map->children[0]->name, u"layer");
    EXPECT_EQ(map->children[0]->GetAttribute(u"name"), u"x");
    EXPECT_TRUE(map->children[0]->children.empty());
    EXPECT_EQ(map->children[0]->value, u"");
    EXPECT_EQ(map->value, u"");
}

TEST(XMLParser, TextAndCommentCases) {
    struct Case {
        const char16_t* doc;
        const char16_t* value;
        std::size_t children;
    } cases[] = {
        {u"<a>hello<![CDATA[<b>]]>world</a>", u"hello<b>world", 0},
        {u"<a><!-- note --><b/><!-- one --><!-- two --></a>", u"", 1},
        // Verbatim: no entity decoding; whitespace before the closing tag stays,
        // whitespace after a start tag or around children does not.
        {u"<x> a &amp; b </x>", u"a &amp; b ", 0},
        {u"<x>\n  <y/>\n  tail</x>", u"tail", 1},
        {u"<x>one<y>inner</y>two<![CDATA[]]>three</x>", u"onetwothree", 1},
        {u"<x>\r\n\t</x>", u"", 0},
    };
    for (const auto& c : cases) {
        auto root = ParseText(c.doc);
        EXPECT_EQ(root->value, c.value) << ToUtf8(c.doc);
        EXPECT_EQ(root->children.size(), c.children) << ToUtf8(c.doc);
    }
    auto nested = ParseText(u"<x>one<y>inner</y></x>");
    EXPECT_EQ(nested->children[0]->value, u"inner");
}

TEST(XMLParser, DeclarationAndAttributes) {
    c_XMLParser parser;
    auto root = parser.Parse(
        u"  <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made by hand -->\n"
        u"<map k=\"first\" k=\"last\" path=\"a/b c.png\" sp = \"  lead trail \" >"
        u"</map> trailing junk is never looked at <<<");
    EXPECT_EQ(parser.declaration.size(), 2u);
    EXPECT_EQ(parser.declaration[u"version"], u"1.0");
    EXPECT_EQ(parser.declaration[u"encoding"], u"UTF-8");
    EXPECT_EQ(parser.root, root);
    EXPECT_EQ(root->GetAttribute(u"k"), u"last");
    EXPECT_EQ(root->GetAttribute(u"path"), u"a/b c.png");
    // The opening quote is read like any expected character, which skips the
    // blanks after it; the rest of the value is taken as it stands.
    EXPECT_EQ(root->GetAttribute(u"sp"), u"lead trail ");
    EXPECT_EQ(root->GetAttribute(u"missing"), u"");
}

TEST(XMLParser, DocumentTypeBeforeTheRootIsSkipped) {
    const char16_t* docs[] = {
        u"<!DOCTYPE map SYSTEM \"http://example.org/map.dtd\">\n<map a=\"1\"/>",
        u"<?xml version=\"1.0\"?>\n<!DOCTYPE map>\n<map a=\"1\"/>",
        u"<?xml version=\"1.0\"?><!-- a --><!DOCTYPE map PUBLIC \"-//x>y//EN\" 'a]b.dtd'><!-- b -->\n<map a=\"1\"/>",
        u"<!DOCTYPE map [\n  <!ELEMENT map EMPTY>\n  <!ATTLIST map a CDATA \"]>\">\n"
        u"  <!-- ]> -->\n]>\n<map a=\"1\"/>",
    };
    for (const char16_t* doc : docs) {
        auto root = ParseText(doc);
        EXPECT_EQ(root->name, u"map") << ToUtf8(doc);
        EXPECT_EQ(root->GetAttribute(u"a"), u"1") << ToUtf8(doc);
    }
}

TEST(XMLParser, LookupsFilterAndChain) {
    auto props = ParseText(
        u"<properties><property name=\"layer\" value=\"1\"/><other name=\"layer\"/>"
        u"<property name=\"bg\"/><property name=\"layer\" value=\"2\"/><property/></properties>");
    auto layers = props->GetChildren(u"property", u"name", u"layer");
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0]->GetAttribute(u"value"), u"1");
    EXPECT_EQ(layers[1]->GetAttribute(u"value"), u"2");
    EXPECT_EQ(props->GetChildren(u"property").size(), 4u);
    EXPECT_EQ(props->GetChildren(u"", u"name", u"layer").size(), 3u);
    EXPECT_EQ(props->GetChildren().size(), 5u);
    // A missing attribute compares as the empty string.
    EXPECT_EQ(props->GetChildren(u"property", u"name", u"").size(), 1u);
    EXPECT_EQ(props->GetChild(u"property", u"name", u"bg"), props->children[2]);
    EXPECT_EQ(props->GetChild(u"", u"name", u"layer"), props->children[0]);

    auto none = props->GetChild(u"nothing");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none, props->GetChild(u"nothing", u"", u""));
    EXPECT_EQ(none, props->GetChild(u"property", u"name", u"nope"));
    EXPECT_EQ(none->name, u"");
    EXPECT_EQ(none->value, u"");
    EXPECT_TRUE(none->children.empty());
    EXPECT_TRUE(none->attributes.empty());
    // Chained lookups through the empty node stay harmless.
    EXPECT_EQ(none->GetChild(u"a")->GetChild(u"b")->GetAttribute(u"c"), u"");
}

TEST(XMLParser, NestingUpToTheLimitParses) {
    String doc;
    for (int i = 0; i < c_XMLParser::kMaxDepth; ++i) doc += u"<a>";
    for (int i = 0; i < c_XMLParser::kMaxDepth; ++i) doc += u"</a>";
    auto node = ParseText(doc);
    int depth = 1;
    while (!node->children.empty()) node = node->children[0], ++depth;
    EXPECT_EQ(depth, c_XMLParser::kMaxDepth);
}

TEST(XMLParserDeathTest, SyntaxErrorsReportWhereAndWhat) {
    struct Case {
        const char16_t* doc;
        const char* message;
    } cases[] = {
        {u"<a x='1'/>", "Expected '\"'[34] at position 5. Found '''[39] instead."},
        {u"<tile-set/>", "Expected valid identifier at position 5. Found '-'[45] instead."},
        {u"<a></b>", "Expected 'a' at position 6. Found 'b' instead."},
        {u"<ab></a>", "Expected 'ab' at position 7. Found 'a' instead."},
        {u"<a x=\"1\" y/>", "Expected '='[61] at position 10. Found '/'[47] instead."},
        {u"<a x=\"1/>", "Expected '\"'[34] at position 9. Found EOF instead."},
        {u"<a><!-- x</a>", "Expected --> at position 13. Found EOF instead."},
        {u"<a><![CDATA[x</a>", "Expected ]]> at position 17. Found EOF instead."},
        {u"<a>text", "Expected '<'[60] at position 7. Found EOF instead."},
        {u"<a><!DOCTYPE x></a>", "Expected valid identifier at position 4. Found '!'[33] instead."},
        {u"<_a/>", "Expected valid identifier at position 1. Found '_'[95] instead."},
        {u"<a:b/>", "Expected valid identifier at position 2. Found ':'[58] instead."},
        {u"", "Expected '<'[60] at position 0. Found EOF instead."},
        {u"<?xmL version=\"1\"?><a/>", "Expected 'xml' at position 5. Found 'xmL' instead."},
        {u"<?xml version=\"1\"><a/>", "Expected '?'[63] at position 17. Found '>'[62] instead."},
        {u"<a", "Expected valid identifier at position 2. Found EOF instead."},
        {u"<!DOCTYPE a", "Expected > at position 11. Found EOF instead."},
        {u"<!DOCTYPE a [<!ENTITY x \"y\">><a/>", "Expected ] at position 33. Found EOF instead."},
        {u"<!DOCTYPE a SYSTEM \"x><a/>", "Expected '\"'[34] at position 26. Found EOF instead."},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(ParseInChild(c.doc), ::testing::ExitedWithCode(255),
                    Exactly(std::string("Cobalt Runtime Error : XMLParser:: ") + c.message))
            << ToUtf8(c.doc);
    }
}

TEST(XMLParserDeathTest, DeepNestingEndsInARuntimeError) {
    String doc;
    for (int i = 0; i < 10000; ++i) doc += u"<a>";
    for (int i = 0; i < 10000; ++i) doc += u"</a>";
    std::string position = std::to_string(3 * c_XMLParser::kMaxDepth);
    EXPECT_EXIT(
        ParseInChild(doc), ::testing::ExitedWithCode(255),
        Exactly("Cobalt Runtime Error : XMLParser:: Expected at most " + std::to_string(c_XMLParser::kMaxDepth) +
                " levels of nested elements at position " + position + ". Found a deeper element instead."));
}
