#include "flash/render/GlyphCoverage.h"

#include <algorithm>

namespace qb::render {

void GlyphCoverage::FindSpans() {
    const int w = Box.X1 - Box.X0, h = Box.Y1 - Box.Y0;
    Spans.assign(static_cast<size_t>(std::max(0, h)), {0, 0});
    for (int y = 0; y < h; ++y) {
        const uint16_t* row = Covers.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        int from = 0, to = w;
        while (from < w && row[from] == 0) ++from;
        while (to > from && row[to - 1] == 0) --to;
        Spans[static_cast<size_t>(y)] = {static_cast<uint16_t>(from), static_cast<uint16_t>(to)};
    }
}

uint16_t* CoverageSink::At(int y, int x) {
    const int w = out_.Box.X1 - out_.Box.X0;
    return out_.Covers.data() + static_cast<size_t>(y - out_.Box.Y0) * static_cast<size_t>(w) + (x - out_.Box.X0);
}

void CoverageSink::Span(int y, int x0, int x1, const StyleCoverage* styles, int count) {
    uint32_t cover = 0;
    for (int i = 0; i < count; ++i) cover += styles[i].Cover;
    std::fill(At(y, x0), At(y, x0) + (x1 - x0), static_cast<uint16_t>(std::min<uint32_t>(cover, 256)));
}

void CoverageSink::Run(int y, int x0, uint32_t, const uint16_t* covers, int n) {
    uint16_t* out = At(y, x0);
    for (int i = 0; i < n; ++i) out[i] = std::min<uint16_t>(covers[i], 256);
}

}  // namespace qb::render
