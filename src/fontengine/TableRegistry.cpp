#include "TableRegistry.h"

#include "FontWideTables.h"

#include "tables/cmapTABLE.h"
#include "tables/glyfTABLE.h"
#include "tables/headTABLE.h"
#include "tables/hheaTABLE.h"
#include "tables/hmtxTABLE.h"
#include "tables/locaTABLE.h"
#include "tables/maxpTABLE.h"
#include "tables/nameTABLE.h"

namespace {
const std::array<TableRegistryEntry, TableRegistry::kSize>& Entries() {
    static const std::array<TableRegistryEntry, TableRegistry::kSize> entries = {{
        {MakeTag("EBDT"), "Embedded bitmap data"},
        {MakeTag("EBLC"), "Embedded bitmap location data"},
        {MakeTag("EBSC"), "Embedded bitmap scaling data"},
        {MakeTag("LTSH"), "Linear threshold table"},
        {MakeTag("OS/2"), "OS/2 and Windows specific metrics"},
        {MakeTag("PCLT"), "PCL5"},
        {MakeTag("VDMX"), "Vertical Device Metrics table"},
        {MakeTag("bdat"), "Embedded bitmap data"},
        {MakeTag("bloc"), "Embedded bitmap location data"},
        {MakeTag("cmap"), "character to glyph mapping"},
        {MakeTag("cvt "), "Control Value Table"},
        {MakeTag("fpgm"), "font program"},
        {MakeTag("gasp"), "grid-fit and scan conv. proc.(grayscale)"},
        {MakeTag("glyf"), "glyph data"},
        {MakeTag("hdmx"), "horizontal device metrics"},
        {MakeTag("head"), "font header"},
        {MakeTag("hhea"), "horizontal header"},
        {MakeTag("hmtx"), "horizontal metrics"},
        {MakeTag("kern"), "kerning"},
        {MakeTag("loca"), "index to location"},
        {MakeTag("maxp"), "maximum profile"},
        {MakeTag("name"), "naming table"},
        {MakeTag("post"), "PostStript information"},
        {MakeTag("prep"), "CVT program"},
        {MakeTag("vhea"), "vertical header"},
        {MakeTag("vmtx"), "vertical metrics"},
    }};
    return entries;
}
}  // namespace

const TableRegistryEntry* TableRegistry::entry(int index) {
    if (index < 0 || index >= kSize) return nullptr;
    return &Entries()[size_t(index)];
}

int TableRegistry::indexOf(uint32_t tag) {
    const auto& entries = Entries();
    for (int i = 0; i < kSize; ++i)
        if (entries[size_t(i)].tag == tag) return i;
    return -1;
}

std::unique_ptr<TTF_TABLE> TableRegistry::create(int index, TTObject* owner, uint32_t length,
                                                 uint32_t checksum, uint32_t offset) {
    const TableRegistryEntry* e = entry(index);
    if (!e) return nullptr;
    switch (index) {
    case TTIndex::cmap: return std::make_unique<cmapTABLE>(owner, length, checksum, offset);
    case TTIndex::glyf: return std::make_unique<glyfTABLE>(owner, length, checksum, offset);
    case TTIndex::head: return std::make_unique<headTABLE>(owner, length, checksum, offset);
    case TTIndex::hhea: return std::make_unique<hheaTABLE>(owner, length, checksum, offset);
    case TTIndex::hmtx: return std::make_unique<hmtxTABLE>(owner, length, checksum, offset);
    case TTIndex::loca: return std::make_unique<locaTABLE>(owner, length, checksum, offset);
    case TTIndex::maxp: return std::make_unique<maxpTABLE>(owner, length, checksum, offset);
    case TTIndex::name: return std::make_unique<nameTABLE>(owner, length, checksum, offset);
    default:
        if (auto t = CreateFontWideTable(index, owner, length, checksum, offset)) return t;
        // Tables without a class of their own travel as their bytes.
        return std::make_unique<TTF_TABLE>(owner, e->tag, length, checksum, offset);
    }
}

const std::array<int, TableRegistry::kSize>& TableRegistry::loadOrder() {
    using namespace TTIndex;
    static const std::array<int, kSize> order = {head, maxp, loca, glyf, cmap, hhea, hmtx, name, post,
                                                 OS2,  cvt,  EBDT, EBLC, EBSC, fpgm, gasp, hdmx, kern,
                                                 LTSH, prep, PCLT, VDMX, vhea, vmtx, bdat, bloc};
    return order;
}

const std::array<int, 4>& TableRegistry::quickOrder() {
    static const std::array<int, 4> order = {TTIndex::head, TTIndex::maxp, TTIndex::name, TTIndex::OS2};
    return order;
}

const std::array<int, TableRegistry::kSize>& TableRegistry::dumpOrder() {
    static const std::array<int, kSize> order = [] {
        std::array<int, kSize> o{};
        int n = 0;
        for (int i = 0; i < kSize; ++i)
            if (i != TTIndex::glyf) o[size_t(n++)] = i;
        o[size_t(n)] = TTIndex::glyf;
        return o;
    }();
    return order;
}
