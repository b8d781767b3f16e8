#include "svg/values/shared_text.h"

#include <utility>

SharedText MakeSharedText(std::wstring text) {
    if (text.empty())
        return nullptr;
    return std::make_shared<const std::wstring>(std::move(text));
}

const std::wstring& TextOf(const SharedText& text) {
    static const std::wstring none;
    return text ? *text : none;
}
