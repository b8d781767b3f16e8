// The storage of an XML tree, shared by the code that builds trees and the
// code that reads them: nodes, attribute tables and interned names, all in
// the tree's arenas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "svg/xml/xml_arena.h"

struct XmlNode;
struct XmlTree;

// Wide text made on demand, kept until the tree is released.
struct WideText {
    std::wstring text;
    WideText* next;
};

// An element name, stored once per tree however often it occurs.
// An element of one name, with where it stands: its place in document order
// and its depth (the root element's is 0).
struct NamedElement {
    const XmlNode* node;
    size_t order;
    int depth;
};

struct InternedName {
    XmlTree* owner;
    const char* text; // UTF-8
    size_t length;
    size_t localStart; // bytes of the prefix and its colon, 0 without a prefix
    uint32_t hash;
    mutable const std::wstring* wide;
    mutable const std::wstring* localWide;
    // The elements of this name in document order (malloc'd): searches for
    // the elements of a few names need not walk the whole tree.
    NamedElement* elements;
    size_t elementCount, elementCapacity;
    mutable int note; // XmlNameNote
};

struct XmlAttributeEntry {
    const char* name; // UTF-8
    const char* value;
    size_t nameLength;
    size_t valueLength;
    mutable const std::wstring* wide; // the value, once looked up
};

// An element (name set) or a run of character data (name null).
struct XmlNode {
    XmlNode* parent;
    XmlNode* firstChild;
    XmlNode* lastChild;
    XmlNode* nextSibling;
    // The same links among elements alone, so that walks over elements
    // never step through the character data between them.
    XmlNode* firstElementChild;
    XmlNode* lastElementChild;
    XmlNode* nextElementSibling;
    const InternedName* name;
    XmlAttributeEntry* attributes;
    union {
        const char* text;  // character data (name null), UTF-8
        int namespaceKind; // an element's XmlNamespace
    };
    size_t count; // attributes of an element, bytes of character data
    // The NameBit of every attribute name: most lookups are of attributes
    // the element does not have, and this answers them at once.
    uint64_t attributeBits;
};

struct XmlTree {
    // Nodes and attribute tables in one arena, the bytes they point to in
    // another: walking the tree then reads memory that holds little else.
    Arena arena;
    Arena textArena;
    XmlNode* root;
    InternedName** names; // open addressing, a power of two slots
    size_t nameSlots;
    size_t nameCount;
    size_t elementCount;
    WideText* wideTexts;
    int succeeded;
    int errorCode;
    long errorLine;
};
