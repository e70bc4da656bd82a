#include "DumpFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "TTDump.h"
#include "TableRegistry.h"
#include "TTNameRecord.h"
#include "cmapTABLE.h"
#include "TTcmapSubtable.h"
#include "cvtTABLE.h"
#include "fpgmTABLE.h"
#include "gaspTABLE.h"
#include "glyfTABLE.h"
#include "headTABLE.h"
#include "nameTABLE.h"
#include "prepTABLE.h"

namespace {
// 2001-09-09 01:46:40 UTC in seconds since 1904.
int64_t FixedClock() { return 1000000000LL + 2082844800LL; }

std::unique_ptr<TTGLYPH> Glyph(const std::vector<std::vector<GlyphPoint>>& contours, uint16_t advance,
                               const char* name) {
    auto g = std::make_unique<TTGLYPH>();
    g->reset();
    g->m_nKind = contours.empty() ? TTGLYPH::Empty : TTGLYPH::Simple;
    for (const auto& c : contours) g->appendContour(c.data(), c.size());
    g->updateBoundingBox();
    g->m_nAdvanceWidth = advance;
    g->m_nLeftSideBearing = g->xMin;
    g->m_name.index = 65535;
    g->m_name.text = name;
    g->setState(TTSource::Calculated);
    return g;
}

template <class T>
T* AddTable(TTF& font, int index) {
    auto t = TableRegistry::create(index, &font);
    auto* raw = dynamic_cast<T*>(t.get());
    font.setSlot(index, font.addTable(std::move(t)));
    raw->reset();
    raw->setState(TTSource::Calculated);
    return raw;
}
}  // namespace

Bytes SmallFontBytes() {
    headTABLE::SetClock(FixedClock);
    TTF font;
    glyfTABLE* glyf = font.glyf();
    glyf->setState(TTSource::Calculated);
    glyf->addGlyph(Glyph({{{1, 100, 0}, {1, 100, 700}, {1, 500, 700}, {1, 500, 0}}}, 600, ".notdef"));
    glyf->addGlyph(Glyph({}, 250, "space"));
    glyf->addGlyph(Glyph({{{1, 0, 0}, {0, 300, 1400}, {1, 600, 0}}, {{1, 200, 300}, {1, 400, 300}, {1, 300, 500}}}, 650,
                         "A"));
    auto comp = std::make_unique<TTGLYPH>();
    comp->reset();
    comp->m_nKind = TTGLYPH::Composite;
    GlyphComponent c;
    c.flags = ComponentFlag::ARG_1_AND_2_ARE_WORDS | ComponentFlag::ARGS_ARE_XY_VALUES | ComponentFlag::WE_HAVE_A_SCALE;
    c.glyphIndex = 0;
    c.arg1 = 50;
    c.arg2 = -20;
    c.scale = 0x2000;
    comp->m_components.push_back(c);
    comp->m_nAdvanceWidth = 400;
    comp->m_nLeftSideBearing = 75;
    comp->m_name.index = 65535;
    comp->m_name.text = "square.small";
    comp->setState(TTSource::Calculated);
    glyf->addGlyph(std::move(comp));

    auto* cmap = font.get<cmapTABLE>(TTIndex::cmap);
    TTcmapSubtable* unicode = cmap->addSubtable(3, 1);
    unicode->setGlyphForCode(' ', 1);
    unicode->setGlyphForCode('A', 2);
    unicode->setGlyphForCode(0x25A1, 3);

    auto* names = font.get<nameTABLE>(TTIndex::name);
    names->addRecord(std::make_unique<TTNameRecord>(3, 1, 0x409, 1, u"Probe"));
    names->addRecord(std::make_unique<TTNameRecord>(3, 1, 0x409, 4, u"Probe Regular"));
    names->setState(TTSource::Calculated);

    AddTable<cvtTABLE>(font, TTIndex::cvt)->values = {0, -30, 700, 1400};
    AddTable<fpgmTABLE>(font, TTIndex::fpgm)->program = {0xB0, 0x01, 0x2C};
    AddTable<prepTABLE>(font, TTIndex::prep)->program = {0xB8, 0x01, 0xFF, 0x85};
    AddTable<gaspTABLE>(font, TTIndex::gasp)->ranges = {{8, GASP_DOGRAY}, {0xFFFF, GASP_GRIDFIT | GASP_DOGRAY}};

    TTMemoryStream out;
    font.writeTo(&out);
    headTABLE::SetClock(nullptr);
    return out.data();
}

int ReadFont(TTF& font, TTMemoryStream& in) { return font.readFrom(&in); }

std::string PlainListing(TTObject& object) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (auto* s = object.asStreamed()) s->dumpText(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

std::string StructuredDump(TTObject& object) {
    std::string text;
    {
        TTDumpSink sink(&text);
        object.dumpStructured(sink);
    }
    return text;
}

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(PENMARK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void KeepActual(const std::string& name, const std::string& text) {
    std::ofstream(std::string(PENMARK_TEST_TMP) + "/" + name, std::ios::binary) << text;
}
