// A big-endian view of a font table, as OpenType stores its numbers; reads
// outside the table give 0, so that a damaged table cannot be read past.
#pragma once

#include <cstdint>
#include <vector>

struct FontTableView {
    const std::vector<uint8_t>* data;

    uint32_t U16(uint32_t at) const {
        if (static_cast<uint64_t>(at) + 2 > data->size())
            return 0;
        return static_cast<uint32_t>((*data)[at] << 8 | (*data)[at + 1]);
    }
    uint32_t U32(uint32_t at) const { return U16(at) << 16 | U16(at + 2); }
    int32_t S16(uint32_t at) const { return static_cast<int16_t>(U16(at)); }
};
