// CSS syntax as the style sheets use it: reading a sheet's text (strings,
// brackets, blocks, comments) and splitting declaration blocks.
#pragma once

#include <cstddef>
#include <string>

#include "svg/base/strings.h"

// The index after the string that starts with the quote at `open`; a
// backslash escapes the next character. As in CSS, a string left open ends
// before the next line break (or at the end).
size_t SkipString(TextView text, size_t open);

// The index of the first stop character outside strings and outside (), []
// and {} pairs, from `from`; text.size() when there is none. An opening
// brace is a stop character only when it is in `stops`.
size_t FindOutsideBrackets(TextView text, size_t from, const wchar_t* stops);

// The index of the "}" that closes the block opened at `open`, or
// text.size() when the block is still open at the end (CSS closes it there).
size_t EndOfBlock(TextView text, size_t open);

// Removes /* ... */ comments outside strings; an unterminated comment
// removes the rest of the sheet.
std::wstring RemoveComments(TextView text);

// Adds the item, when not empty, to the ";"-separated list.
void AppendItem(std::wstring* list, TextView item);

// A rule body or a "style" attribute, split by importance into two lists
// with the latest declaration first (later declarations win in CSS, the
// first item wins in a list).
struct DeclarationLists {
    std::wstring normal;
    std::wstring important;
};

void SplitDeclarations(TextView body, DeclarationLists* lists);
