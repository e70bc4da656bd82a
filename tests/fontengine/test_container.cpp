// The file container: directory, table order and alignment, checksums, unknown tables,
// and every way a damaged file must fail cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "FontBytes.h"
#include "TTF.h"
#include "glyfTABLE.h"
#include "headTABLE.h"
#include "maxpTABLE.h"

namespace {

Bytes Square() { return SimpleGlyph({{{100, 0}, {100, 700}, {600, 700}, {600, 0}}}); }

std::vector<RawTable> BasicTables() { return SmallFont({Bytes{}, Square(), Square()}, {500, 700, 700}); }

Bytes RoundTrip(const Bytes& in, int* readCode = nullptr, int* writeCode = nullptr) {
    TTMemoryStream s(in);
    TTF font;
    int rc = ReadFont(font, s);
    if (readCode) *readCode = rc;
    Bytes out;
    int wc = rc ? -1 : WriteFont(font, out);
    if (writeCode) *writeCode = wc;
    return out;
}

TEST(Container, SearchFieldsFollowTheTableCount) {
    struct { uint32_t count; SearchFields want; } cases[] = {
        {1, {16, 0, 0}}, {9, {128, 3, 16}}, {16, {256, 4, 0}}, {26, {256, 4, 160}}};
    for (const auto& c : cases) {
        SearchFields got = ComputeSearchFields(c.count, 16);
        EXPECT_EQ(got.searchRange, c.want.searchRange) << c.count;
        EXPECT_EQ(got.entrySelector, c.want.entrySelector) << c.count;
        EXPECT_EQ(got.rangeShift, c.want.rangeShift) << c.count;
    }
}

TEST(Container, WritesSortedAlignedTablesWithRightChecksums) {
    auto tables = BasicTables();
    // Unknown tables of odd lengths, in reverse order, around the known ones.
    tables.insert(tables.begin(), {"zzzz", Bytes{1, 2, 3}});
    tables.push_back({"GSUB", Bytes{9, 8, 7, 6, 5}});
    tables.push_back({"FFTM", Bytes(28, 0x11)});
    std::reverse(tables.begin(), tables.end());
    Bytes out = RoundTrip(BuildSfnt(tables));
    ASSERT_FALSE(out.empty());

    auto dir = ReadDirectory(out);
    std::vector<std::string> tags;
    for (const auto& e : dir) tags.push_back(e.tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"FFTM", "GSUB", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "zzzz"}));
    EXPECT_EQ(GetBE16(out, 4), 9);
    EXPECT_EQ(GetBE16(out, 6), 128);
    EXPECT_EQ(GetBE16(out, 8), 3);
    EXPECT_EQ(GetBE16(out, 10), 16);
    EXPECT_EQ(out.size() % 4, 0u);
    EXPECT_EQ(WordSum(out.data(), out.size()), 0xB1B0AFBAu);
    for (const auto& e : dir) {
        EXPECT_EQ(e.offset % 4, 0u) << e.tag;
        Bytes body(out.begin() + e.offset, out.begin() + e.offset + e.length);
        if (e.tag == "head") std::memset(body.data() + 8, 0, 4);
        EXPECT_EQ(WordSum(body.data(), body.size()), e.checksum) << e.tag;
    }
    EXPECT_EQ(TableBytes(out, "GSUB"), (Bytes{9, 8, 7, 6, 5}));
    EXPECT_EQ(TableBytes(out, "zzzz"), (Bytes{1, 2, 3}));
}

TEST(Container, SkipsSemicolonEntriesAndDropsTheSignature) {
    auto tables = BasicTables();
    tables.push_back({";abc", Bytes{1, 2, 3, 4}});
    tables.push_back({"DSIG", Bytes{0, 0, 0, 1, 0, 0, 0, 0}});
    TTMemoryStream s(BuildSfnt(tables));
    TTF font;
    ASSERT_EQ(ReadFont(font, s), 0);
    EXPECT_EQ(font.findTable(MakeTag(";abc")), nullptr);
    ASSERT_NE(font.findTable(MakeTag("DSIG")), nullptr);  // still shown in memory
    Bytes out;
    ASSERT_EQ(WriteFont(font, out), 0);
    auto dir = ReadDirectory(out);
    EXPECT_EQ(FindEntry(dir, "DSIG"), nullptr);
    EXPECT_EQ(FindEntry(dir, ";abc"), nullptr);
    EXPECT_EQ(dir.size(), 6u);
}

TEST(Container, ZeroLengthEntryCreatesTableButReadsNothing) {
    auto tables = BasicTables();
    tables.push_back({"prep", Bytes{}, 0x7FFFFFF0, 0});  // its offset points nowhere
    TTMemoryStream s(BuildSfnt(tables));
    TTF font;
    ASSERT_EQ(ReadFont(font, s), 0);
    TTF_TABLE* prep = font.table(TTIndex::prep);
    ASSERT_NE(prep, nullptr);
    EXPECT_TRUE(prep->m_bReadDone);
    EXPECT_EQ(prep->state(), TTSource::None);
    EXPECT_TRUE(prep->data().empty());
}

TEST(Container, DamagedFilesGiveErrorCodesNeverCrash) {
    Bytes good = BuildSfnt(BasicTables());
    size_t dataEnd = 0;
    for (const auto& e : ReadDirectory(good)) dataEnd = std::max<size_t>(dataEnd, e.offset + e.length);
    // Every cut inside the offset table, the directory or any table's data fails to read.
    for (size_t cut = 0; cut < dataEnd; ++cut) {
        Bytes b(good.begin(), good.begin() + long(cut));
        TTMemoryStream s(b);
        TTF font;
        EXPECT_EQ(ReadFont(font, s), TTError::kRead) << "cut at " << cut;
    }
    struct Case { const char* what; std::string tag; int64_t offset, length; };
    const Case cases[] = {
        {"offset past the end", "hmtx", 0x7FFFFFF0, -1},
        {"huge length", "glyf", -1, 0xFFFFFFF0},
        {"length past the end", "maxp", -1, 4096},
    };
    for (const auto& c : cases) {
        auto tables = BasicTables();
        for (auto& t : tables)
            if (t.tag == c.tag) t.offset = c.offset, t.length = c.length;
        TTMemoryStream s(BuildSfnt(tables));
        TTF font;
        EXPECT_EQ(ReadFont(font, s), TTError::kRead) << c.what;
    }
}

// A collection (.ttc) of the fonts given: its header, then each font with its table
// offsets counted from the start of the collection.
Bytes BuildCollection(const std::vector<Bytes>& fonts) {
    Bytes out;
    Be(out).u32(MakeTag("ttcf")).u32(0x00010000).u32(uint32_t(fonts.size()));
    size_t at = 12 + 4 * fonts.size();
    for (const Bytes& font : fonts) {
        Be(out).u32(uint32_t(at));
        at += font.size();
    }
    for (const Bytes& font : fonts) {
        const uint32_t base = uint32_t(out.size());
        Bytes moved = font;
        for (size_t i = 0, n = GetBE16(font, 4); i < n; ++i) {
            const size_t field = 12 + 16 * i + 8;
            const uint32_t offset = GetBE32(font, field) + base;
            for (int k = 0; k < 4; ++k) moved[field + size_t(k)] = uint8_t(offset >> (24 - 8 * k));
        }
        out.insert(out.end(), moved.begin(), moved.end());
    }
    return out;
}

TEST(Container, ReadsOneFaceOfACollectionAndWritesItAlone) {
    const Bytes three = BuildSfnt(BasicTables());
    const Bytes two = BuildSfnt(SmallFont({Bytes{}, Square()}, {500, 600}));
    const Bytes collection = BuildCollection({three, two});
    for (uint32_t face : {0u, 1u}) {
        TTMemoryStream in(collection);
        TTF font;
        font.setFaceIndex(face);
        ASSERT_EQ(ReadFont(font, in), TTError::kOk) << face;
        EXPECT_EQ(font.faceCount(), 2u);
        EXPECT_EQ(font.glyphCount(), face == 0 ? 3u : 2u);
        Bytes written;
        ASSERT_EQ(WriteFont(font, written), TTError::kOk);
        EXPECT_EQ(GetBE32(written, 0), 0x00010000u) << "a single font, not a collection";
        TTMemoryStream back(written);
        TTF again;
        ASSERT_EQ(ReadFont(again, back), TTError::kOk);
        EXPECT_EQ(again.faceCount(), 1u);
        EXPECT_EQ(again.glyphCount(), font.glyphCount());
    }
    TTF missing;
    TTMemoryStream in(collection);
    missing.setFaceIndex(2);
    EXPECT_EQ(ReadFont(missing, in), TTError::kNoSuchFace);
}

TEST(Container, DamagedCollectionsFailCleanly) {
    const Bytes font = BuildSfnt(BasicTables());
    Bytes nested = BuildCollection({BuildCollection({font})});
    Bytes cutHeader = BuildCollection({font});
    cutHeader.resize(14);  // the face's offset cut off
    Bytes pastEnd = BuildCollection({font});
    pastEnd[12] = 0x7F;  // the face's offset table far past the end
    Bytes hugeCount = BuildCollection({font});
    hugeCount[8] = 0xFF;  // four thousand million faces: only the one asked for is read
    struct { const Bytes& bytes; uint32_t face; int code; } cases[] = {
        {nested, 0, TTError::kCollection}, {cutHeader, 0, TTError::kRead},
        {pastEnd, 0, TTError::kRead},      {hugeCount, 0, TTError::kOk},
        {hugeCount, 0xFFFFFF, TTError::kRead}};
    for (const auto& c : cases) {
        TTMemoryStream in(c.bytes);
        TTF f;
        f.setFaceIndex(c.face);
        EXPECT_EQ(ReadFont(f, in), c.code) << "face " << c.face;
    }
}

TEST(Container, RefusesWhatIsNotOneTrueTypeFont) {
    TTF b;
    TTMemoryStream cff(BuildSfnt(BasicTables(), MakeTag("OTTO")));
    EXPECT_EQ(ReadFont(b, cff), TTError::kNoGlyphData);

    auto tables = BasicTables();
    tables.erase(std::remove_if(tables.begin(), tables.end(), [](const RawTable& t) { return t.tag == "loca"; }),
                 tables.end());
    TTF c;
    TTMemoryStream noLoca(BuildSfnt(tables));
    EXPECT_EQ(ReadFont(c, noLoca), TTError::kNoGlyphData);

    auto noMaxp = BasicTables();
    noMaxp.pop_back();
    TTF m;
    TTMemoryStream withoutMaxp(BuildSfnt(noMaxp));
    EXPECT_EQ(ReadFont(m, withoutMaxp), TTError::kInvalid);

    TTF d;
    TTMemoryStream woff(BuildSfnt(BasicTables(), MakeTag("wOFF")));
    EXPECT_EQ(ReadFont(d, woff), TTError::kNotTrueType);

    TTF e;
    TTMemoryStream empty;
    EXPECT_EQ(ReadFont(e, empty), TTError::kRead);

    TTF f;
    EXPECT_EQ(f.readFrom(nullptr), TTError::kNoHandle);
}

TEST(Container, LocaEntryPastGlyphDataIsAnError) {
    auto tables = BasicTables();
    for (auto& t : tables)
        if (t.tag == "loca") {
            size_t last = t.data.size() - 4;
            uint32_t past = GetBE32(t.data, last) + 2;  // two bytes beyond glyf
            for (size_t i = 0; i < 4; ++i) t.data[last + i] = uint8_t(past >> (24 - 8 * i));
        }
    TTMemoryStream s(BuildSfnt(tables));
    TTF font;
    EXPECT_EQ(ReadFont(font, s), TTError::kRead);
}

TEST(Container, NewFontHasTheTenBasicTablesInOrder) {
    TTF font;
    EXPECT_EQ(font.state(), TTSource::Initiated);
    const char* expected[] = {"head", "maxp", "OS/2", "name", "glyf", "post", "loca", "cmap", "hhea", "hmtx"};
    ASSERT_EQ(font.childCount(), 10u);
    for (size_t i = 0; i < 10; ++i) {
        auto* t = static_cast<TTF_TABLE*>(font.child(i));
        EXPECT_EQ(t->name(), expected[i]);
        EXPECT_EQ(font.table(TableRegistry::indexOf(t->tag())), t);
        EXPECT_EQ(t->state(), TTSource::Initiated);
    }
    EXPECT_STREQ(font.head()->typeName(), "type_headTABLE");
    EXPECT_STREQ(font.table(TTIndex::cmap)->typeName(), "type_cmapTABLE");
    EXPECT_STREQ(font.table(TTIndex::post)->typeName(), "type_postTABLE");

    // Removing a table closes the gap and keeps every other slot pointing right.
    font.removeTable(TTIndex::OS2);
    EXPECT_EQ(font.table(TTIndex::OS2), nullptr);
    EXPECT_EQ(font.childCount(), 9u);
    for (int index : {TTIndex::head, TTIndex::maxp, TTIndex::name, TTIndex::glyf, TTIndex::hmtx})
        EXPECT_EQ(font.table(index)->tag(), TableRegistry::entry(index)->tag);
}

TEST(Container, RegistryKnowsItsTablesInTagOrder) {
    EXPECT_EQ(TableRegistry::indexOf(MakeTag("cvt ")), TTIndex::cvt);
    EXPECT_EQ(TableRegistry::indexOf(MakeTag("GSUB")), -1);
    EXPECT_EQ(TableRegistry::entry(26), nullptr);
    EXPECT_STREQ(TableRegistry::entry(TTIndex::post)->description, "PostStript information");
    for (int i = 1; i < TableRegistry::kSize; ++i)
        EXPECT_LT(TableRegistry::entry(i - 1)->tag, TableRegistry::entry(i)->tag);
    EXPECT_EQ(TableRegistry::dumpOrder().back(), TTIndex::glyf);
    EXPECT_EQ(TableRegistry::loadOrder()[2], TTIndex::loca);
}

TEST(Container, QuickReadTakesOnlyTheDirectoryAndFourTables) {
    TTMemoryStream s(BuildSfnt(BasicTables()));
    TTF font;
    ASSERT_EQ(font.readQuick(&s), 0);
    EXPECT_EQ(font.head()->unitsPerEm, 1000);
    EXPECT_EQ(font.maxp()->numGlyphsRead, 3);
    EXPECT_EQ(font.glyphCount(), 0u);  // counted, but no glyph objects made
    EXPECT_EQ(font.table(TTIndex::hhea)->state(), TTSource::None);
    // A font is read once: a second directory read changes nothing.
    font.head()->unitsPerEm = 77;
    EXPECT_EQ(font.readDirectory(&s), 0);
    EXPECT_EQ(font.head()->unitsPerEm, 77);
}

// A stream that refuses every write after the first n bytes, as a full disk does.
class FullDisk : public TTMemoryStream {
public:
    explicit FullDisk(size_t n) : m_nLeft(n) {}
    bool write(const void* src, size_t n) override {
        if (n > m_nLeft) return false;
        m_nLeft -= n;
        return TTMemoryStream::write(src, n);
    }

private:
    size_t m_nLeft;
};

TEST(Container, FailedWriteIsReportedNotSwallowed) {
    TTMemoryStream in(BuildSfnt(BasicTables()));
    TTF font;
    ASSERT_EQ(ReadFont(font, in), 0);
    for (size_t room : {size_t(0), size_t(20), size_t(200)}) {
        FullDisk out(room);
        EXPECT_EQ(font.writeTo(&out), TTError::kWrite) << room;
    }
    TTF empty;
    EXPECT_EQ(empty.writeTo(nullptr), TTError::kNoHandle);
}

TEST(Container, HeadDatesFollowTheClock) {
    headTABLE::SetClock([]() -> int64_t { return 0x1'2345'6789LL; });
    auto tables = BasicTables();
    for (auto& t : tables)
        if (t.tag == "head")
            for (size_t i = 20; i < 28; ++i) t.data[i] = 0;  // created unknown
    Bytes out = RoundTrip(BuildSfnt(tables));
    headTABLE::SetClock(nullptr);
    Bytes head = TableBytes(out, "head");
    ASSERT_EQ(head.size(), 54u);
    EXPECT_EQ(GetBE32(head, 20), 1u);  // created takes modified
    EXPECT_EQ(GetBE32(head, 24), 0x23456789u);
    EXPECT_EQ(GetBE32(head, 28), 1u);
    EXPECT_EQ(GetBE32(head, 32), 0x23456789u);
}

TEST(Container, FileStreamReadsBackWhatItWrote) {
    std::string path = std::string(PENMARK_TEST_TMP) + "/stream.bin";
    FILE* f = std::fopen(path.c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    {
        TTFileStream s(fileno(f), 64);  // a tiny window so that every path is taken
        Bytes data(1000);
        for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
        ASSERT_TRUE(s.write(data.data(), data.size()));
        ASSERT_TRUE(s.seek(10));
        ASSERT_TRUE(s.write("\xAA\xBB", 2));
        Bytes back(1000);
        ASSERT_TRUE(s.seek(0));
        ASSERT_TRUE(s.read(back.data(), back.size()));
        data[10] = 0xAA;
        data[11] = 0xBB;
        EXPECT_EQ(back, data);
        EXPECT_EQ(s.size(), 1000u);
        EXPECT_FALSE(s.read(back.data(), 1));
        ASSERT_TRUE(s.seek(990));
        EXPECT_FALSE(s.read(back.data(), 20));
    }
    std::fclose(f);
}

}  // namespace
