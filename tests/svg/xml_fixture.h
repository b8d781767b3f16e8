// Test support: SVG text parsed into an XML tree, elements found by id, and
// a load context filled from the tree as a document load fills it.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "svg/style/gradient_chains.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/xml/xml_parse.h"
#include "svg/xml/xml_tree.h"

struct ParsedXml {
    XmlTree* tree;
    explicit ParsedXml(const std::string& text) : tree(ParseXmlTree(text.data(), text.size())) {}
    ~ParsedXml() { ReleaseXmlTree(tree); }
    ParsedXml(const ParsedXml&) = delete;
    ParsedXml& operator=(const ParsedXml&) = delete;
    const XmlNode* Root() const { return tree ? XmlRootElement(tree) : nullptr; }
};

// The element with this "id" in the subtree, depth-first; null when none.
inline const XmlNode* FindElementById(const XmlNode* node, const wchar_t* id) {
    if (!node || !XmlIsElement(node))
        return nullptr;
    if (XmlAttribute(node, L"id") == id)
        return node;
    for (const XmlNode* c = XmlFirstChild(node); c; c = XmlNextSibling(c)) {
        if (const XmlNode* found = FindElementById(c, id))
            return found;
    }
    return nullptr;
}

// The style sheets and gradients of the tree, filled into a new load context
// in load order.
inline void FillDocumentMaps(LoadContext* context, const XmlNode* root) {
    CollectStyleSheets(&context->sheets, root);
    RegisterGradientElements(&context->gradients, root);
    BuildGradientRegistry(context, 200, 100); // a viewport whose sides differ
}

// The element's state as the walk computes it: the root's state applied in
// place, then each ancestor's state handed down to its child.
inline StyleState StyleOfElement(LoadContext* context, const XmlNode* root,
                                 const XmlNode* element) {
    std::vector<const XmlNode*> chain;
    for (const XmlNode* n = element; n && n != root; n = XmlParent(n))
        chain.push_back(n);
    StyleState state;
    InitRootStyleState(&state);
    ApplyPresentation(context, root, &state, &state);
    for (size_t i = chain.size(); i-- > 0;) {
        StyleState child;
        ApplyPresentation(context, chain[i], &state, &child);
        state = child;
    }
    return state;
}
