// xml.cpp — fuzz target: the XML reader the level files go through, from the
// file's bytes (decoded as the game decodes text) to the element tree, with
// the lookups the map loader chains over it.
#include <cstddef>
#include <cstdint>

#include "framework/xml_parser.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    try {
        Ref<c_XMLNode> root = c_XMLParser().Parse(fuzz::Text(data, size));
        if (!root) return 0;
        // The walks the loader makes: children by name, attributes, and the
        // shared empty node of a missing child.
        for (const Ref<c_XMLNode>& child : root->GetChildren()) {
            (void)child->GetAttribute(u"name");
            (void)child->GetChild(u"properties")->GetChild(u"property", u"name", u"layer")->GetAttribute(u"value");
        }
        (void)root->GetChild(u"tileset")->GetChildren(u"image");
    } catch (const fuzz::Refused&) {}
    return 0;
}
