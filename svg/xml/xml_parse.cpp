// The XML tree over expat. Loading keeps everything the parser hands out as
// UTF-8 bytes in a few large arena blocks (nodes, attribute tables, names,
// values and text), so building a tree costs a handful of allocations
// whatever the file's size, and running out of memory is noticed and turned
// into "no tree". Wide text is made only when asked for: a name or an
// attribute value is converted on its first lookup and kept until the tree is
// released. Neither building nor releasing a tree recurses, so any nesting
// depth the parser accepts is safe.
#include "svg/xml/xml_parse.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "svg/base/file_access.h"
#include "svg/base/strings.h"
#include "svg/xml/xml_nodes.h"
#include "svg/xml/xml_tree.h"

namespace {

// ---- element names ----------------------------------------------------------------

uint32_t HashName(const char* text, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; i++)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

bool GrowNameTable(XmlTree* tree) {
    size_t slots = tree->nameSlots ? tree->nameSlots * 2 : 64;
    InternedName** table = static_cast<InternedName**>(std::calloc(slots, sizeof(InternedName*)));
    if (!table)
        return false;
    for (size_t i = 0; i < tree->nameSlots; i++) {
        InternedName* entry = tree->names[i];
        if (!entry)
            continue;
        size_t k = entry->hash & (slots - 1);
        while (table[k])
            k = (k + 1) & (slots - 1);
        table[k] = entry;
    }
    std::free(tree->names);
    tree->names = table;
    tree->nameSlots = slots;
    return true;
}

const InternedName* InternName(XmlTree* tree, const char* text) {
    size_t length = std::strlen(text);
    uint32_t hash = HashName(text, length);
    if ((tree->nameCount + 1) * 2 > tree->nameSlots && !GrowNameTable(tree))
        return nullptr;
    size_t k = hash & (tree->nameSlots - 1);
    while (InternedName* entry = tree->names[k]) {
        if (entry->hash == hash && entry->length == length &&
            std::memcmp(entry->text, text, length) == 0)
            return entry;
        k = (k + 1) & (tree->nameSlots - 1);
    }
    InternedName* entry = ArenaNew<InternedName>(&tree->arena, 1);
    const char* copy = ArenaCopy(&tree->textArena, text, length);
    if (!entry || !copy)
        return nullptr;
    const char* colon = static_cast<const char*>(std::memchr(copy, ':', length));
    size_t localStart = colon ? static_cast<size_t>(colon - copy) + 1 : 0;
    *entry = InternedName{tree, copy, length, localStart, hash, nullptr, nullptr, nullptr, 0, 0, 0};
    tree->names[k] = entry;
    tree->nameCount++;
    return entry;
}

// ---- building ----------------------------------------------------------------------

// One xmlns declaration in scope: the prefix (empty for the default
// namespace) points into the element's stored attribute name.
struct NamespaceBinding {
    const char* prefix;
    size_t prefixLength;
    int kind;  // XmlNamespace of the declared name
    int depth; // of the element that declares it
};

struct TreeBuilder {
    XmlTree* tree;
    XML_Parser parser;
    XmlNode* current; // the open element
    char* text;       // character data not yet stored
    size_t textLength;
    size_t textCapacity;
    NamespaceBinding* bindings; // innermost last
    size_t bindingCount;
    size_t bindingCapacity;
    int depth; // of the open element, the root is 1
    int outOfMemory;
    int sawElement;
};

void StopForMemory(TreeBuilder* builder) {
    if (!builder->outOfMemory) {
        builder->outOfMemory = 1;
        XML_StopParser(builder->parser, XML_FALSE);
    }
}

XmlNode* NewNode(TreeBuilder* builder) {
    XmlNode* node = ArenaNew<XmlNode>(&builder->tree->arena, 1);
    if (node) {
        *node = XmlNode();
        node->parent = builder->current;
    }
    return node;
}

void AppendChild(XmlNode* parent, XmlNode* child) {
    if (parent->lastChild)
        parent->lastChild->nextSibling = child;
    else
        parent->firstChild = child;
    parent->lastChild = child;
    if (!child->name)
        return;
    if (parent->lastElementChild)
        parent->lastElementChild->nextElementSibling = child;
    else
        parent->firstElementChild = child;
    parent->lastElementChild = child;
}

// Stores the character data gathered since the last markup as one node.
bool FlushText(TreeBuilder* builder) {
    if (builder->textLength == 0 || !builder->current) {
        builder->textLength = 0;
        return true;
    }
    XmlNode* node = NewNode(builder);
    const char* copy = ArenaCopy(&builder->tree->textArena, builder->text, builder->textLength);
    if (!node || !copy)
        return false;
    node->text = copy;
    node->count = builder->textLength;
    AppendChild(builder->current, node);
    builder->textLength = 0;
    return true;
}

bool CopyAttributes(TreeBuilder* builder, XmlNode* node, const XML_Char** attributes) {
    size_t count = 0;
    while (attributes[2 * count])
        count++;
    node->count = count;
    if (count == 0)
        return true;
    Arena* arena = &builder->tree->textArena;
    node->attributes = ArenaNew<XmlAttributeEntry>(&builder->tree->arena, count);
    if (!node->attributes)
        return false;
    for (size_t i = 0; i < count; i++) {
        XmlAttributeEntry* entry = &node->attributes[i];
        entry->nameLength = std::strlen(attributes[2 * i]);
        entry->valueLength = std::strlen(attributes[2 * i + 1]);
        // Names stay beside the table that is searched by them.
        entry->name = ArenaCopy(&builder->tree->arena, attributes[2 * i], entry->nameLength);
        entry->value = ArenaCopy(arena, attributes[2 * i + 1], entry->valueLength);
        entry->wide = nullptr;
        if (!entry->name || !entry->value)
            return false;
        node->attributeBits |= NameBit(entry->name, entry->nameLength);
    }
    return true;
}

// Room for one more item in a malloc'd array of `count` items that doubles
// as it grows (from `first`); false when the memory cannot be had.
template <typename Item>
bool RoomForOneMore(Item** items, size_t count, size_t* capacity, size_t first) {
    if (count < *capacity)
        return true;
    size_t grown = *capacity ? *capacity * 2 : first;
    void* memory = std::realloc(*items, grown * sizeof(Item));
    if (!memory)
        return false;
    *items = static_cast<Item*>(memory);
    *capacity = grown;
    return true;
}

// ---- namespaces ----------------------------------------------------------------------

const char SvgNamespaceName[] = "http://www.w3.org/2000/svg";

bool PushBinding(TreeBuilder* builder, const char* prefix, size_t prefixLength, int kind) {
    if (!RoomForOneMore(&builder->bindings, builder->bindingCount, &builder->bindingCapacity, 8))
        return false;
    builder->bindings[builder->bindingCount++] =
        NamespaceBinding{prefix, prefixLength, kind, builder->depth};
    return true;
}

// Takes the element's xmlns and xmlns:prefix attributes into scope.
bool BindDeclaredNamespaces(TreeBuilder* builder, const XmlNode* node) {
    for (size_t i = 0; i < node->count; i++) {
        const XmlAttributeEntry& a = node->attributes[i];
        if (a.nameLength < 5 || std::memcmp(a.name, "xmlns", 5) != 0)
            continue;
        if (a.nameLength > 5 && a.name[5] != ':')
            continue;
        size_t skip = a.nameLength > 5 ? 6 : 5;
        int kind =
            std::strcmp(a.value, SvgNamespaceName) == 0 ? XmlSvgNamespace : XmlOtherNamespace;
        if (!PushBinding(builder, a.name + skip, a.nameLength - skip, kind))
            return false;
    }
    return true;
}

int NamespaceOfName(const TreeBuilder* builder, const InternedName* name) {
    size_t prefixLength = name->localStart ? name->localStart - 1 : 0;
    for (size_t i = builder->bindingCount; i-- > 0;) {
        const NamespaceBinding& b = builder->bindings[i];
        if (b.prefixLength == prefixLength && std::memcmp(b.prefix, name->text, prefixLength) == 0)
            return b.kind;
    }
    return prefixLength ? XmlOtherNamespace : XmlNoNamespace;
}

void UnbindClosedNamespaces(TreeBuilder* builder) {
    while (builder->bindingCount > 0 &&
           builder->bindings[builder->bindingCount - 1].depth >= builder->depth)
        builder->bindingCount--;
}

// Adds the element to the list of its name's elements.
bool ListUnderName(TreeBuilder* builder, const XmlNode* node) {
    InternedName* name = const_cast<InternedName*>(node->name);
    if (!RoomForOneMore(&name->elements, name->elementCount, &name->elementCapacity, 4))
        return false;
    name->elements[name->elementCount++] =
        NamedElement{node, builder->tree->elementCount, builder->depth - 1};
    return true;
}

void XMLCALL OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    TreeBuilder* builder = static_cast<TreeBuilder*>(data);
    if (builder->outOfMemory)
        return;
    XmlNode* node = FlushText(builder) ? NewNode(builder) : nullptr;
    if (!node)
        return StopForMemory(builder);
    node->name = InternName(builder->tree, name);
    if (!node->name || !CopyAttributes(builder, node, attributes))
        return StopForMemory(builder);
    builder->depth++;
    if (!ListUnderName(builder, node))
        return StopForMemory(builder);
    builder->tree->elementCount++;
    if (!BindDeclaredNamespaces(builder, node))
        return StopForMemory(builder);
    node->namespaceKind = NamespaceOfName(builder, node->name);
    if (builder->current)
        AppendChild(builder->current, node);
    else
        builder->tree->root = node;
    builder->current = node;
    builder->sawElement = 1;
}

void XMLCALL OnEndElement(void* data, const XML_Char*) {
    TreeBuilder* builder = static_cast<TreeBuilder*>(data);
    if (builder->outOfMemory)
        return;
    if (!FlushText(builder))
        return StopForMemory(builder);
    UnbindClosedNamespaces(builder);
    builder->depth--;
    if (builder->current)
        builder->current = builder->current->parent;
}

void XMLCALL OnCharacterData(void* data, const XML_Char* text, int length) {
    TreeBuilder* builder = static_cast<TreeBuilder*>(data);
    if (builder->outOfMemory || length <= 0)
        return;
    size_t needed = builder->textLength + static_cast<size_t>(length);
    if (needed > builder->textCapacity) {
        size_t capacity = builder->textCapacity ? builder->textCapacity : 4096;
        while (capacity < needed)
            capacity *= 2;
        char* grown = static_cast<char*>(std::realloc(builder->text, capacity));
        if (!grown)
            return StopForMemory(builder);
        builder->text = grown;
        builder->textCapacity = capacity;
    }
    std::memcpy(builder->text + builder->textLength, text, static_cast<size_t>(length));
    builder->textLength = needed;
}

bool StartBuilding(TreeBuilder* builder) {
    *builder = TreeBuilder();
    builder->tree = new (std::nothrow) XmlTree();
    if (!builder->tree)
        return false;
    // No encoding given: expat takes it from the byte order mark or the XML
    // declaration (UTF-8, UTF-16, ISO-8859-1, US-ASCII).
    builder->parser = XML_ParserCreate(nullptr);
    if (!builder->parser) {
        ReleaseXmlTree(builder->tree);
        return false;
    }
    XML_SetUserData(builder->parser, builder);
    XML_SetElementHandler(builder->parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(builder->parser, OnCharacterData);
    return true;
}

// Records the parse outcome in the tree; null (tree released) when memory ran
// out. A document with nothing but a prolog has parsed without a root element.
XmlTree* FinishBuilding(TreeBuilder* builder, bool readFailed) {
    XmlTree* tree = builder->tree;
    XML_Error error = XML_GetErrorCode(builder->parser);
    if (!readFailed && !builder->outOfMemory && error != XML_ERROR_NO_MEMORY) {
        if (error == XML_ERROR_NONE || (error == XML_ERROR_NO_ELEMENTS && !builder->sawElement)) {
            tree->succeeded = 1;
        } else {
            tree->errorCode = static_cast<int>(error);
            tree->errorLine = static_cast<long>(XML_GetCurrentLineNumber(builder->parser));
        }
    } else {
        ReleaseXmlTree(tree);
        tree = nullptr;
    }
    XML_ParserFree(builder->parser);
    std::free(builder->text);
    std::free(builder->bindings);
    return tree;
}

const size_t ReadChunkSize = 256 * 1024;

// Feeds the file to the parser chunk by chunk. False when reading failed.
bool ParseFile(TreeBuilder* builder, FILE* file) {
    for (;;) {
        void* buffer = XML_GetBuffer(builder->parser, static_cast<int>(ReadChunkSize));
        if (!buffer) {
            StopForMemory(builder);
            return true;
        }
        size_t read = std::fread(buffer, 1, ReadChunkSize, file);
        if (std::ferror(file))
            return false;
        bool final = read < ReadChunkSize && std::feof(file);
        if (XML_ParseBuffer(builder->parser, static_cast<int>(read), final) != XML_STATUS_OK)
            return true;
        if (final)
            return true;
    }
}
} // namespace

XmlTree* LoadXmlTree(const std::wstring& path) {
    FILE* file = OpenFileForReading(path);
    if (!file)
        return nullptr;
    TreeBuilder builder;
    if (!StartBuilding(&builder)) {
        std::fclose(file);
        return nullptr;
    }
    bool readOk = ParseFile(&builder, file);
    std::fclose(file);
    return FinishBuilding(&builder, !readOk);
}

XmlTree* ParseXmlTree(const char* bytes, size_t length) {
    TreeBuilder builder;
    if (!StartBuilding(&builder))
        return nullptr;
    const size_t piece = INT_MAX / 2;
    do {
        size_t n = length < piece ? length : piece;
        bool final = n == length;
        if (XML_Parse(builder.parser, bytes, static_cast<int>(n), final) != XML_STATUS_OK)
            break;
        bytes += n;
        length -= n;
    } while (length > 0);
    return FinishBuilding(&builder, false);
}
