// Reading the vertical measures: hhea's ascender and descender, OS/2's
// x-height, capital height, strikeout and script offsets, post's underline.
#include "svg/build/font_metrics.h"

#include "svg/build/font_table_view.h"

FontMetrics ReadFontMetrics(const std::vector<uint8_t>& head, const std::vector<uint8_t>& hhea,
                            const std::vector<uint8_t>& os2, const std::vector<uint8_t>& post) {
    FontMetrics m = {0.8f, 0.2f, 0.5f, 0.7f, -0.1f, 0.05f, 0.3f, 0.05f, 0.2f, 0.35f};
    float em = static_cast<float>(FontTableView{&head}.U16(18));
    if (!(em > 0))
        return m;
    FontTableView h{&hhea}, o{&os2}, p{&post};
    if (hhea.size() >= 8 && h.S16(4) > 0) {
        m.ascent = h.S16(4) / em;
        m.descent = -h.S16(6) / em;
    }
    if (os2.size() >= 30) {
        m.subscriptOffset = o.S16(16) / em;
        m.superscriptOffset = o.S16(24) / em;
        if (o.S16(26) > 0) {
            m.strikeoutThickness = o.S16(26) / em;
            m.strikeoutPosition = o.S16(28) / em;
        }
    }
    if (os2.size() >= 92 && o.U16(0) >= 2 && o.S16(86) > 0) {
        m.xHeight = o.S16(86) / em;
        m.capHeight = o.S16(88) / em;
    }
    if (post.size() >= 12 && p.S16(10) > 0) {
        m.underlinePosition = p.S16(8) / em;
        m.underlineThickness = p.S16(10) / em;
    }
    return m;
}
