// A font's code page bits through the engine's font summary.
#include "FontCatalog.h"
#include "FontSummary.h"

bool ReadCodePageRanges(const std::string& path, uint32_t& range1, uint32_t& range2) {
    FontSummary summary;
    ReadFontSummary(path, summary);
    if (!summary.hasCodePageRanges) return false;
    range1 = summary.codePageRange[0];
    range2 = summary.codePageRange[1];
    return true;
}
