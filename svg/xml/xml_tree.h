// The XML tree of an SVG file, built with expat. Element names and attribute
// values arrive as wide text; the encoding comes from the document itself, and
// attribute values have line breaks and tabs turned into blanks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct XmlTree;
struct XmlNode;

void ReleaseXmlTree(XmlTree* tree);
int XmlParseSucceeded(const XmlTree* tree);
std::wstring XmlErrorMessage(const XmlTree* tree); // the parser's own message
long XmlErrorLine(const XmlTree* tree);
const XmlNode* XmlRootElement(const XmlTree* tree); // null when there is none
size_t XmlElementCount(const XmlTree* tree);

const XmlNode* XmlFirstChild(const XmlNode* node);
const XmlNode* XmlNextSibling(const XmlNode* node);
const XmlNode* XmlParent(const XmlNode* node);
// The first child, or the next sibling, that is an element; null when none.
const XmlNode* XmlFirstChildElement(const XmlNode* node);
const XmlNode* XmlNextSiblingElement(const XmlNode* node);
int XmlIsElement(const XmlNode* node);
// Calls `visit` for each element whose name `wanted` accepts, in document
// order, down to `maxDepth` levels below the root element: the elements a
// depth-first walk from the root with that limit meets, without the walk.
// `wanted` is asked once for each name the tree holds.
void XmlVisitElementsNamed(const XmlTree* tree, bool (*wanted)(const std::wstring& name),
                           int maxDepth, void (*visit)(const XmlNode* element, void* context),
                           void* context);
const std::wstring& XmlName(const XmlNode* node);
// The name without its prefix: «svg:path» gives «path»; an unprefixed name is
// returned whole.
const std::wstring& XmlLocalName(const XmlNode* node);
// A number the reader keeps with an element's name, the same for every
// element of that name in the tree (0 until set): what follows from the name
// alone is then worked out once per name. The walker's element roles use it.
int XmlNameNote(const XmlNode* element);
void XmlSetNameNote(const XmlNode* element, int note);
// The name as the file's UTF-8 bytes, without making wide text; "" for
// anything but an element.
void XmlNameBytes(const XmlNode* node, const char** name, size_t* length);

// The namespace an element's name is in, from the xmlns declarations in scope
// when it was read. A name without a prefix and without a default namespace
// in scope has none; a prefix that no declaration binds counts as another
// namespace, and so does an empty default declaration (xmlns="").
enum XmlNamespace { XmlNoNamespace = 0, XmlSvgNamespace = 1, XmlOtherNamespace = 2 };
int XmlElementNamespace(const XmlNode* node);
// The value of the attribute with exactly this (case-sensitive) name; "" when
// absent.
const std::wstring& XmlAttribute(const XmlNode* node, const wchar_t* name);
// The OR of the NameBit of every attribute name of the element: an attribute
// whose NameBitOfText is not in it is absent.
uint64_t XmlAttributeNameBits(const XmlNode* node);
// Whether the element has the attribute, even with an empty value.
int XmlHasAttribute(const XmlNode* node, const wchar_t* name);
// The same value as the file's UTF-8 bytes, without making wide text (for
// long values read once, such as path data): 1 with the bytes in *text and
// their count in *length, 0 (and an empty text) when absent.
int XmlAttributeBytes(const XmlNode* node, const wchar_t* name, const char** text, size_t* length);
// The value as wide text of the caller's own, for a value read once and kept
// elsewhere (a shape's id): the tree keeps no copy.
std::wstring XmlAttributeCopy(const XmlNode* node, const wchar_t* name);
// The element's attributes in the order written: their count, the name of
// the i-th as the file's UTF-8 bytes, and its value (as XmlAttribute).
size_t XmlAttributeCount(const XmlNode* node);
void XmlAttributeNameAt(const XmlNode* node, size_t i, const char** name, size_t* length);
const std::wstring& XmlAttributeAt(const XmlNode* node, size_t i);
// The same value as the file's UTF-8 bytes (as XmlAttributeBytes).
void XmlAttributeBytesAt(const XmlNode* node, size_t i, const char** text, size_t* length);
// The concatenated character data of the element's descendants.
std::wstring XmlTextContent(const XmlNode* node);
