// The drawing's size, read from the root element.
#pragma once

struct SvgDocument;
struct XmlNode;

// Reads the root's viewBox, width and height into the document. A
// percentage width or height sets no size in that direction.
void ReadDocumentSize(const XmlNode* root, SvgDocument* document);
