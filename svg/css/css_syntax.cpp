// CSS syntax: the text of a sheet and its declaration blocks.
#include "svg/css/css_syntax.h"

#include <algorithm>

#include "svg/base/strings.h"

size_t SkipString(TextView text, size_t open) {
    wchar_t quote = text[open];
    size_t i = open + 1;
    while (i < text.size() && text[i] != quote && text[i] != L'\n')
        i += text[i] == L'\\' ? 2 : 1;
    if (i < text.size() && text[i] == quote)
        return i + 1;
    return std::min(i, text.size());
}

size_t FindOutsideBrackets(TextView text, size_t from, const wchar_t* stops) {
    size_t depth = 0;
    for (size_t i = from; i < text.size();) {
        wchar_t c = text[i];
        if (depth == 0 && c != 0 && std::wcschr(stops, c))
            return i;
        if (c == L'"' || c == L'\'') {
            i = SkipString(text, i);
            continue;
        }
        if (c == L'(' || c == L'[' || c == L'{')
            depth++;
        else if ((c == L')' || c == L']' || c == L'}') && depth > 0)
            depth--;
        i++;
    }
    return text.size();
}

size_t EndOfBlock(TextView text, size_t open) {
    size_t depth = 0;
    for (size_t i = open; i < text.size();) {
        wchar_t c = text[i];
        if (c == L'"' || c == L'\'') {
            i = SkipString(text, i);
            continue;
        }
        if (c == L'{')
            depth++;
        else if (c == L'}' && --depth == 0)
            return i;
        i++;
    }
    return text.size();
}

std::wstring RemoveComments(TextView text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        wchar_t c = text[i];
        if (c == L'"' || c == L'\'') {
            size_t end = SkipString(text, i);
            out.append(text.substr(i, end - i));
            i = end;
        } else if (c == L'/' && i + 1 < text.size() && text[i + 1] == L'*') {
            size_t close = text.find(L"*/", i + 2);
            if (close == TextView::npos)
                break;
            i = close + 2;
        } else {
            out.push_back(c);
            i++;
        }
    }
    return out;
}

namespace {

struct Declaration {
    TextView name;
    TextView value;
    bool important;
};

// "name: value" with an optional "!important"; false for what CSS drops: no
// colon, an empty name or value, or a "!" that is not "!important".
bool ReadDeclaration(TextView item, Declaration* out) {
    size_t colon = item.find(L':');
    if (colon == TextView::npos)
        return false;
    out->name = TrimView(item.substr(0, colon));
    out->value = TrimView(item.substr(colon + 1));
    out->important = false;
    size_t bang = out->value.rfind(L'!');
    if (bang != TextView::npos) {
        if (!IsWordIgnoringCase(TrimView(out->value.substr(bang + 1)), "important"))
            return false;
        out->value = TrimView(out->value.substr(0, bang));
        out->important = true;
    }
    return !out->name.empty() && !out->value.empty();
}

} // namespace

void AppendItem(std::wstring* list, TextView item) {
    if (item.empty())
        return;
    if (!list->empty())
        list->push_back(L';');
    list->append(item);
}

void SplitDeclarations(TextView body, DeclarationLists* lists) {
    std::vector<Declaration> read;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = FindOutsideBrackets(body, start, L";");
        Declaration declaration;
        if (ReadDeclaration(body.substr(start, end - start), &declaration))
            read.push_back(declaration);
        start = end + 1;
    }
    for (size_t i = read.size(); i-- > 0;) {
        std::wstring* list = read[i].important ? &lists->important : &lists->normal;
        if (!list->empty())
            list->push_back(L';');
        list->append(read[i].name);
        list->push_back(L':');
        list->append(read[i].value);
    }
}
