#include "svg/xml/element_walk.h"

#include "svg/xml/xml_tree.h"

const XmlNode* FirstChildElement(const XmlNode* node) {
    return XmlFirstChildElement(node);
}

const XmlNode* NextSiblingElement(const XmlNode* node) {
    return XmlNextSiblingElement(node);
}

// The element that follows the subtree of node in document order, climbing
// towards root; null when the walk is back at root. *depth follows the climb.
static const XmlNode* NextAfterSubtree(const XmlNode* node, const XmlNode* root, int* depth) {
    while (node && node != root) {
        const XmlNode* sibling = NextSiblingElement(node);
        if (sibling)
            return sibling;
        node = XmlParent(node);
        (*depth)--;
    }
    return nullptr;
}

void VisitElements(const XmlNode* root, int maxDepth, ElementVisitor visit, void* context) {
    if (!root || !XmlIsElement(root))
        return;
    const XmlNode* node = root;
    int depth = 0;
    while (node) {
        visit(node, context);
        const XmlNode* child = depth < maxDepth ? FirstChildElement(node) : nullptr;
        if (child) {
            node = child;
            depth++;
        } else {
            node = NextAfterSubtree(node, root, &depth);
        }
    }
}
