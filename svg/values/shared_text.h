// Text read once and shared, never copied, by everything that holds it: a
// paint's reference or a font list inherited by every element of a file is
// held once, however long it is.
#pragma once

#include <memory>
#include <string>

typedef std::shared_ptr<const std::wstring> SharedText;

// Null for empty text.
SharedText MakeSharedText(std::wstring text);
// The text; empty for null.
const std::wstring& TextOf(const SharedText& text);
