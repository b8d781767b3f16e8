#include "render/region_rows.h"

#include <algorithm>
#include <cmath>

void IndexRegionRows(std::vector<GfxRectF> rows, RegionRows* index) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const GfxRectF& a, const GfxRectF& b) { return a.y < b.y; });
    index->below.resize(rows.size());
    float lowest = -INFINITY;
    for (size_t i = 0; i < rows.size(); i++) {
        lowest = std::max(lowest, rows[i].y + rows[i].height);
        index->below[i] = lowest;
    }
    index->rows = std::move(rows);
}

void RowsWithin(const RegionRows& index, const DeviceBox& box, std::vector<GfxRectF>* within) {
    within->clear();
    const double left = std::floor(box.left), top = std::floor(box.top);
    const double right = std::ceil(box.right), bottom = std::ceil(box.bottom);
    if (!(left < right && top < bottom)) // also not-a-number
        return;
    // Rows before the first whose running bottom passes the box's top all
    // end above it.
    const size_t first = static_cast<size_t>(
        std::upper_bound(index.below.begin(), index.below.end(), top) - index.below.begin());
    for (size_t i = first; i < index.rows.size() && index.rows[i].y < bottom; i++) {
        const GfxRectF& row = index.rows[i];
        const double x0 = std::max<double>(row.x, left), y0 = std::max<double>(row.y, top);
        const double x1 = std::min<double>(row.x + row.width, right);
        const double y1 = std::min<double>(row.y + row.height, bottom);
        if (x0 < x1 && y0 < y1)
            within->push_back(GfxRectF{static_cast<float>(x0), static_cast<float>(y0),
                                       static_cast<float>(x1 - x0), static_cast<float>(y1 - y0)});
    }
}
