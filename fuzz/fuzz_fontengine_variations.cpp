// Any bytes as metric variations (HVAR, then VVAR) of a font that gains glyphs: the
// first two bytes choose the old glyph count and how many are added.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MetricVariations.h"
#include "TTF_TABLE.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t oldCount = 1u + data[0] * 8u, added = data[1] % 4u;
    for (uint32_t tag : {MakeTag("HVAR"), MakeTag("VVAR")}) {
        std::vector<uint8_t> table(data + 2, data + size);
        if (ExtendMetricVariations(table, tag, oldCount, oldCount + added) == 0)
            ExtendMetricVariations(table, tag, oldCount, oldCount + added);  // a second write
    }
    return 0;
}
