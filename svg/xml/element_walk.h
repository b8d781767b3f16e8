// Walks over the elements of an XML tree in document order without recursion,
// so that a file nesting elements thousands deep cannot exhaust the stack.
#pragma once

struct XmlNode;

// The searches over a whole document (style sheets, gradients) look at most
// this many levels below the element they start from.
const int kMaxElementSearchDepth = 256;

// The first child, or the next sibling, that is an element; null when none.
const XmlNode* FirstChildElement(const XmlNode* node);
const XmlNode* NextSiblingElement(const XmlNode* node);

typedef void (*ElementVisitor)(const XmlNode* element, void* context);

// Calls visit for root (when it is an element) and every descendant element
// at most maxDepth levels below it, depth-first in document order. Elements
// after root are never visited.
void VisitElements(const XmlNode* root, int maxDepth, ElementVisitor visit, void* context);
