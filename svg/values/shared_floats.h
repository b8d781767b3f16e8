// Number lists read once and shared, never copied, by everything that holds
// them: a dash array inherited by every shape of a file is held once.
#pragma once

#include <memory>
#include <vector>

typedef std::shared_ptr<const std::vector<float>> SharedFloats;

// Null for an empty list.
SharedFloats MakeSharedFloats(std::vector<float> values);
// The list's numbers; an empty list for null.
const std::vector<float>& FloatsOf(const SharedFloats& list);
