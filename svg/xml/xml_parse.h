// Building an XML tree with expat, from a file or from bytes.
#pragma once

#include <cstddef>
#include <string>

struct XmlTree;

// Loads and parses the file. Null when the file cannot be read or memory runs
// out; otherwise a tree whose status says whether the parse succeeded.
XmlTree* LoadXmlTree(const std::wstring& path);
// The same from bytes in memory.
XmlTree* ParseXmlTree(const char* bytes, size_t length);
