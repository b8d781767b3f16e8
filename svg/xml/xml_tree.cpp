// Reading an XML tree: its nodes, names and attributes, with wide text made
// only when asked for (a name or an attribute value is converted on its
// first lookup and kept until the tree is released).
#include "svg/xml/xml_tree.h"

#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "svg/base/strings.h"
#include "svg/xml/xml_nodes.h"

namespace {

const std::wstring& EmptyText() {
    static const std::wstring empty;
    return empty;
}

const std::wstring& CachedWide(XmlTree* tree, const std::wstring** slot, const char* text,
                               size_t length) {
    if (!*slot) {
        // Kept in the arena; only the text's own buffer is a separate block.
        void* memory = ArenaAllocate(&tree->arena, sizeof(WideText), alignof(WideText));
        if (!memory)
            return EmptyText(); // out of memory: read as absent, like any unreadable value
        WideText* made = new (memory) WideText{WideFromUtf8(text, length), tree->wideTexts};
        tree->wideTexts = made;
        *slot = &made->text;
    }
    return **slot;
}

// ---- comparing a UTF-8 name with a wide one --------------------------------------

uint32_t NextUtf8(const unsigned char** p, const unsigned char* end) {
    uint32_t c = *(*p)++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    c &= 0x3Fu >> extra;
    for (; extra > 0 && *p < end; extra--)
        c = (c << 6) | (*(*p)++ & 0x3Fu);
    return c;
}

uint32_t NextWide(const wchar_t** w) {
    uint32_t c = static_cast<uint32_t>(*(*w)++);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00) {
        uint32_t low = static_cast<uint32_t>(**w);
        if (low >= 0xDC00 && low < 0xE000) {
            (*w)++;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return c;
}

bool Utf8EqualsWide(const char* text, size_t length, const wchar_t* wide) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + length;
    while (p < end) {
        if (*wide == 0)
            return false;
        if (*p < 0x80) { // the usual case: ASCII names
            if (static_cast<uint32_t>(*wide) != *p)
                return false;
            p++;
            wide++;
            continue;
        }
        if (NextUtf8(&p, end) != NextWide(&wide))
            return false;
    }
    return *wide == 0;
}

} // namespace

void ReleaseXmlTree(XmlTree* tree) {
    if (!tree)
        return;
    WideText* wide = tree->wideTexts;
    while (wide) {
        WideText* next = wide->next;
        wide->~WideText();
        wide = next;
    }
    for (size_t i = 0; i < tree->nameSlots; i++) {
        if (tree->names[i])
            std::free(tree->names[i]->elements);
    }
    std::free(tree->names);
    ReleaseArena(&tree->arena);
    ReleaseArena(&tree->textArena);
    delete tree;
}

int XmlParseSucceeded(const XmlTree* tree) {
    return tree && tree->succeeded ? 1 : 0;
}

std::wstring XmlErrorMessage(const XmlTree* tree) {
    if (!tree || tree->succeeded)
        return std::wstring();
    const XML_LChar* message = XML_ErrorString(static_cast<XML_Error>(tree->errorCode));
    return message ? WideFromUtf8(message, std::strlen(message)) : std::wstring();
}

long XmlErrorLine(const XmlTree* tree) {
    return tree ? tree->errorLine : 0;
}

const XmlNode* XmlRootElement(const XmlTree* tree) {
    return tree && tree->succeeded ? tree->root : nullptr;
}

void XmlVisitElementsNamed(const XmlTree* tree, bool (*wanted)(const std::wstring& name),
                           int maxDepth, void (*visit)(const XmlNode* element, void* context),
                           void* context) {
    if (!XmlRootElement(tree))
        return;
    std::vector<NamedElement> found;
    for (size_t i = 0; i < tree->nameSlots; i++) {
        const InternedName* name = tree->names[i];
        if (!name || name->elementCount == 0 ||
            !wanted(CachedWide(name->owner, &name->wide, name->text, name->length)))
            continue;
        for (size_t k = 0; k < name->elementCount; k++) {
            if (name->elements[k].depth <= maxDepth)
                found.push_back(name->elements[k]);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const NamedElement& a, const NamedElement& b) { return a.order < b.order; });
    for (const NamedElement& element : found)
        visit(element.node, context);
}

const XmlNode* XmlFirstChild(const XmlNode* node) {
    return node ? node->firstChild : nullptr;
}

const XmlNode* XmlNextSibling(const XmlNode* node) {
    return node ? node->nextSibling : nullptr;
}

const XmlNode* XmlParent(const XmlNode* node) {
    return node ? node->parent : nullptr;
}

const XmlNode* XmlFirstChildElement(const XmlNode* node) {
    return node ? node->firstElementChild : nullptr;
}

const XmlNode* XmlNextSiblingElement(const XmlNode* node) {
    return node ? node->nextElementSibling : nullptr;
}

int XmlIsElement(const XmlNode* node) {
    return node && node->name ? 1 : 0;
}

const std::wstring& XmlName(const XmlNode* node) {
    if (!node || !node->name)
        return EmptyText();
    const InternedName* name = node->name;
    return CachedWide(name->owner, &name->wide, name->text, name->length);
}

const std::wstring& XmlLocalName(const XmlNode* node) {
    if (!node || !node->name)
        return EmptyText();
    const InternedName* name = node->name;
    if (name->localStart == 0)
        return XmlName(node);
    return CachedWide(name->owner, &name->localWide, name->text + name->localStart,
                      name->length - name->localStart);
}

void XmlNameBytes(const XmlNode* node, const char** name, size_t* length) {
    const bool element = node && node->name;
    *name = element ? node->name->text : "";
    *length = element ? node->name->length : 0;
}

int XmlNameNote(const XmlNode* element) {
    return element && element->name ? element->name->note : 0;
}

void XmlSetNameNote(const XmlNode* element, int note) {
    if (element && element->name)
        element->name->note = note;
}

size_t XmlElementCount(const XmlTree* tree) {
    return tree ? tree->elementCount : 0;
}

int XmlElementNamespace(const XmlNode* node) {
    return node && node->name ? node->namespaceKind : XmlNoNamespace;
}

namespace {

const XmlAttributeEntry* FindAttribute(const XmlNode* node, const wchar_t* name) {
    if (!node || !node->name || !name || node->count == 0)
        return nullptr;
    if (!(node->attributeBits & NameBitOfText(name)))
        return nullptr;
    for (size_t i = 0; i < node->count; i++) {
        const XmlAttributeEntry* entry = &node->attributes[i];
        if (Utf8EqualsWide(entry->name, entry->nameLength, name))
            return entry;
    }
    return nullptr;
}

} // namespace

uint64_t XmlAttributeNameBits(const XmlNode* node) {
    return node && node->name ? node->attributeBits : 0;
}

const std::wstring& XmlAttribute(const XmlNode* node, const wchar_t* name) {
    const XmlAttributeEntry* entry = FindAttribute(node, name);
    if (!entry)
        return EmptyText();
    return CachedWide(node->name->owner, &entry->wide, entry->value, entry->valueLength);
}

int XmlAttributeBytes(const XmlNode* node, const wchar_t* name, const char** text, size_t* length) {
    const XmlAttributeEntry* entry = FindAttribute(node, name);
    *text = entry ? entry->value : "";
    *length = entry ? entry->valueLength : 0;
    return entry ? 1 : 0;
}

std::wstring XmlAttributeCopy(const XmlNode* node, const wchar_t* name) {
    const XmlAttributeEntry* entry = FindAttribute(node, name);
    if (!entry)
        return std::wstring();
    return entry->wide ? *entry->wide : WideFromUtf8(entry->value, entry->valueLength);
}

size_t XmlAttributeCount(const XmlNode* node) {
    return node && node->name ? node->count : 0;
}

void XmlAttributeNameAt(const XmlNode* node, size_t i, const char** name, size_t* length) {
    const bool exists = i < XmlAttributeCount(node);
    *name = exists ? node->attributes[i].name : "";
    *length = exists ? node->attributes[i].nameLength : 0;
}

const std::wstring& XmlAttributeAt(const XmlNode* node, size_t i) {
    if (i >= XmlAttributeCount(node))
        return EmptyText();
    const XmlAttributeEntry* entry = &node->attributes[i];
    return CachedWide(node->name->owner, &entry->wide, entry->value, entry->valueLength);
}

void XmlAttributeBytesAt(const XmlNode* node, size_t i, const char** text, size_t* length) {
    const bool exists = i < XmlAttributeCount(node);
    *text = exists ? node->attributes[i].value : "";
    *length = exists ? node->attributes[i].valueLength : 0;
}

int XmlHasAttribute(const XmlNode* node, const wchar_t* name) {
    return FindAttribute(node, name) ? 1 : 0;
}

std::wstring XmlTextContent(const XmlNode* node) {
    if (!node)
        return std::wstring();
    if (!node->name)
        return WideFromUtf8(node->text, node->count);
    std::string bytes;
    const XmlNode* n = node->firstChild;
    while (n) {
        if (!n->name) {
            bytes.append(n->text, n->count);
        } else if (n->firstChild) {
            n = n->firstChild;
            continue;
        }
        while (n != node && !n->nextSibling)
            n = n->parent;
        n = n == node ? nullptr : n->nextSibling;
    }
    return WideFromUtf8(bytes.data(), bytes.size());
}
