// The metric variations of a variable font (HVAR, VVAR) kept as bytes, made to follow
// glyphs appended at the end: each new glyph gets a delta-set mapping to an entry that
// applies no delta, so its advance and side bearings are the same at every instance.
#pragma once

#include <cstdint>
#include <vector>

// The table's bytes with the new glyphs mapped; TTError::kOk, or kGlyphCountTable when
// the table's layout is not understood (it is left as it was).
int ExtendMetricVariations(std::vector<uint8_t>& table, uint32_t tag, uint32_t oldCount, uint32_t newCount);
