// The XML tree over expat. Loading keeps everything the parser hands out as
// UTF-8 bytes in a few large arena blocks (nodes, attribute tables, names,
// values and text), so building a tree costs a handful of allocations
// whatever the file's size, and running out of memory is noticed and turned
// into "no tree". Wide text is made only when asked for: a name or an
// attribute value is converted on its first lookup and kept until the tree is
// released. Neither building nor releasing a tree recurses, so any nesting
// depth the parser accepts is safe.
#include "svg/xml/xml_tree.h"

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

namespace {

// ---- arena ------------------------------------------------------------------

struct ArenaBlock {
    ArenaBlock* next;
    size_t size; // bytes after the header
    size_t used;
};

const size_t ArenaBlockSize = 256 * 1024;
const size_t ArenaHeaderSize = (sizeof(ArenaBlock) + 15) & ~static_cast<size_t>(15);

struct Arena {
    ArenaBlock* blocks; // the block being filled first
};

char* BlockData(ArenaBlock* block) {
    return reinterpret_cast<char*>(block) + ArenaHeaderSize;
}

ArenaBlock* NewArenaBlock(size_t size) {
    ArenaBlock* block = static_cast<ArenaBlock*>(std::malloc(ArenaHeaderSize + size));
    if (!block)
        return nullptr;
    block->next = nullptr;
    block->size = size;
    block->used = 0;
    return block;
}

// Null when memory runs out. Large requests get a block of their own, kept
// behind the block being filled so its free space is not lost.
void* ArenaAllocate(Arena* arena, size_t bytes, size_t alignment) {
    ArenaBlock* head = arena->blocks;
    if (head) {
        size_t start = (head->used + alignment - 1) & ~(alignment - 1);
        if (start <= head->size && bytes <= head->size - start) {
            head->used = start + bytes;
            return BlockData(head) + start;
        }
    }
    if (bytes > ArenaBlockSize / 4) {
        ArenaBlock* own = NewArenaBlock(bytes);
        if (!own)
            return nullptr;
        own->used = bytes;
        if (head) {
            own->next = head->next;
            head->next = own;
        } else {
            arena->blocks = own;
        }
        return BlockData(own);
    }
    ArenaBlock* fresh = NewArenaBlock(ArenaBlockSize);
    if (!fresh)
        return nullptr;
    fresh->next = head;
    arena->blocks = fresh;
    fresh->used = bytes;
    return BlockData(fresh);
}

template <typename T> T* ArenaNew(Arena* arena, size_t count) {
    void* memory = ArenaAllocate(arena, sizeof(T) * count, alignof(T));
    return static_cast<T*>(memory);
}

const char* ArenaCopy(Arena* arena, const char* text, size_t length) {
    char* copy = static_cast<char*>(ArenaAllocate(arena, length + 1, 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

void ReleaseArena(Arena* arena) {
    ArenaBlock* block = arena->blocks;
    while (block) {
        ArenaBlock* next = block->next;
        std::free(block);
        block = next;
    }
    arena->blocks = nullptr;
}

// ---- wide text made on demand --------------------------------------------------

struct WideText {
    std::wstring text;
    WideText* next;
};

} // namespace

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

static unsigned long treesReleased = 0;

unsigned long XmlTreesReleased() {
    return treesReleased;
}

void ReleaseXmlTree(XmlTree* tree) {
    if (!tree)
        return;
    treesReleased++;
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
