#include "svg/values/shared_floats.h"

#include <utility>

SharedFloats MakeSharedFloats(std::vector<float> values) {
    if (values.empty())
        return nullptr;
    return std::make_shared<const std::vector<float>>(std::move(values));
}

const std::vector<float>& FloatsOf(const SharedFloats& list) {
    static const std::vector<float> none;
    return list ? *list : none;
}
