// The naming table: reading, writing, look-ups and the renaming with a suffix.
#include <gtest/gtest.h>

#include "FontBytes.h"
#include "nameTABLE.h"

namespace {

std::u16string U(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

TTNameRecord* Add(nameTABLE& t, uint16_t platform, uint16_t nameId, const char* text) {
    uint16_t encoding = platform == 3 ? 1 : 0, language = platform == 3 ? 0x409 : 0;
    return t.addRecord(std::make_unique<TTNameRecord>(platform, encoding, language, nameId, U(text)));
}

std::string Utf16Be(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += '\0', out += c;
    return out;
}

Bytes Write(nameTABLE& t) {
    TTMemoryStream out;
    EXPECT_EQ(t.writeTo(&out), 0);
    t.setOutput(nullptr);
    return out.data();
}

std::unique_ptr<nameTABLE> Read(const Bytes& b, int* code = nullptr) {
    auto t = std::make_unique<nameTABLE>(nullptr, uint32_t(b.size()));
    TTMemoryStream in(b);
    int c = t->readFrom(&in);
    t->setInput(nullptr);
    if (code) *code = c;
    return t;
}

TEST(Name, SuffixGoesIntoFamilyFullAndPostScriptNames) {
    for (uint16_t platform : {1, 3}) {
        nameTABLE t(nullptr);
        t.reset();
        Add(t, platform, 1, "Serif");
        Add(t, platform, 4, "Serif Bold");
        Add(t, platform, 6, "Serif-BoldMT");
        Add(t, platform, 2, "Bold");
        Add(t, platform, 16, "Serif Pro");
        Add(t, platform, 21, "Serif WWS");
        Add(t, platform, 3, "1.0;VEND;Serif-Bold");
        Add(t, platform, 17, "Bold");
        t.applySuffix(" Sig");
        EXPECT_EQ(t.record(0)->wideText(), U("Serif Sig")) << platform;
        EXPECT_EQ(t.record(1)->wideText(), U("Serif Sig Bold")) << platform;
        EXPECT_EQ(t.record(2)->wideText(), U("Serif-BoldMTSig")) << platform;
        EXPECT_EQ(t.record(3)->wideText(), U("Bold")) << platform;
        EXPECT_EQ(t.record(4)->wideText(), U("Serif Pro Sig")) << platform;
        EXPECT_EQ(t.record(5)->wideText(), U("Serif WWS Sig")) << platform;
        EXPECT_EQ(t.record(6)->wideText(), U("1.0;VEND;Serif-Bold Sig")) << platform;
        EXPECT_EQ(t.record(7)->wideText(), U("Bold")) << platform;
    }
}

TEST(Name, SuffixEndsFullNamesThatDoNotStartWithTheFamily) {
    struct Case { const char* family; const char* full; const char* want; };
    const Case cases[] = {{"Serif", "Serif", "Serif X"}, {"Serif", "Bold Serif", "Bold Serif X"},
                          {nullptr, "Serif Bold", "Serif Bold X"}};
    for (const auto& c : cases) {
        nameTABLE t(nullptr);
        t.reset();
        if (c.family) Add(t, 3, 1, c.family);
        Add(t, 1, 1, "Serif");  // another platform's family does not count
        TTNameRecord* full = Add(t, 3, 4, c.full);
        t.applySuffix(" X");
        EXPECT_EQ(full->wideText(), U(c.want)) << c.full;
    }
}

TEST(Name, RecordsKeepTheirEncodingThroughWriting) {
    nameTABLE t(nullptr);
    t.reset();
    const uint8_t macRoman[] = {'C', 'a', 'f', 0x8E};  // "Café" in Macintosh Roman
    t.addRecord(std::make_unique<TTNameRecord>(1, 0, 0, 1, macRoman, sizeof macRoman));
    Add(t, 3, 1, "Caf");
    t.applySuffix(" \xC3\xA9");  // the suffix in UTF-8
    EXPECT_EQ(t.record(0)->wideText(), u"Caf\u00E9 \u00E9");
    Bytes b = Write(t);
    EXPECT_EQ(GetBE16(b, 4), 6 + 12 * 2);  // stringOffset
    // Offsets follow the record order without gaps; the Macintosh text stays 8-bit.
    EXPECT_EQ(GetBE16(b, 6 + 8), 6);
    EXPECT_EQ(GetBE16(b, 6 + 10), 0);
    EXPECT_EQ(GetBE16(b, 18 + 8), 10);
    EXPECT_EQ(GetBE16(b, 18 + 10), 6);
    EXPECT_EQ(Bytes(b.begin() + 30, b.begin() + 36), (Bytes{'C', 'a', 'f', 0x8E, ' ', 0x8E}));
    EXPECT_EQ(Bytes(b.begin() + 36, b.end()), (Bytes{0, 'C', 0, 'a', 0, 'f', 0, ' ', 0, 0xE9}));
    auto back = Read(b);
    ASSERT_EQ(back->recordCount(), 2u);
    EXPECT_EQ(back->record(1)->wideText(), t.record(1)->wideText());
    EXPECT_EQ(back->text(1, 0, 0, 1), std::string("Caf\x8E \x8E"));
    EXPECT_EQ(back->record(0)->name(), "FontFamily (Macintosh, Roman, English)");
    EXPECT_EQ(back->record(1)->name(), "FontFamily (Microsoft, Unicode, English (American))");
}

// The suffix comes as UTF-8 and goes into each record in the record's own encoding.
TEST(Name, SuffixOutsideAsciiGoesIntoEachRecordInItsEncoding) {
    const char* suffix = " Unterschrift \xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC \xF0\x9F\x96\x8B";  // ... äöü€ 🖋
    nameTABLE t(nullptr);
    t.reset();
    TTNameRecord* win = Add(t, 3, 1, "Serif");
    TTNameRecord* uni = t.addRecord(std::make_unique<TTNameRecord>(0, 3, 0, 1, U("Serif")));
    TTNameRecord* mac = Add(t, 1, 1, "Serif");
    const uint8_t shiftJis[] = {'S', 0x83, 0x41};  // "S" and katakana A in Macintosh Japanese
    TTNameRecord* japanese = t.addRecord(std::make_unique<TTNameRecord>(1, 1, 11, 1, shiftJis, sizeof shiftJis));
    TTNameRecord* greek = t.addRecord(std::make_unique<TTNameRecord>(1, 6, 14, 1, U("Serif")));
    t.applySuffix(suffix);
    const std::u16string want = u"Serif Unterschrift \u00E4\u00F6\u00FC\u20AC \U0001F58B";
    EXPECT_EQ(win->wideText(), want);
    EXPECT_EQ(uni->wideText(), want);
    EXPECT_EQ(want.size(), 5u + 18u + 3u);  // the pen as a surrogate pair
    // Macintosh Roman has ä ö ü and € (0xDB) but not the pen.
    EXPECT_EQ(mac->rawText(), std::string("Serif Unterschrift \x8A\x9A\x9F\xDB ?"));
    // The other scripts keep their own bytes and take ASCII of the suffix.
    EXPECT_EQ(japanese->rawText(), std::string("S\x83\x41 Unterschrift ???? ?"));
    EXPECT_EQ(greek->rawText(), std::string("Serif Unterschrift ???? ?"));
    Bytes b = Write(t);
    auto back = Read(b);
    ASSERT_EQ(back->recordCount(), 5u);
    EXPECT_EQ(back->record(0)->wideText(), want);
    EXPECT_EQ(back->record(1)->wideText(), want);
    EXPECT_EQ(back->record(2)->wideText(), u"Serif Unterschrift \u00E4\u00F6\u00FC\u20AC ?");
    EXPECT_EQ(back->record(3)->rawText(), japanese->rawText());
}

TEST(Name, FullNamesTakeTheSuffixAfterTheFamilyInEachEncoding) {
    nameTABLE t(nullptr);
    t.reset();
    for (uint16_t platform : {1, 3}) {
        uint16_t encoding = platform == 3 ? 1 : 0, language = platform == 3 ? 0x409 : 0;
        t.addRecord(std::make_unique<TTNameRecord>(platform, encoding, language, 1, u"Caf\u00E9"));
        t.addRecord(std::make_unique<TTNameRecord>(platform, encoding, language, 4, u"Caf\u00E9 Bold"));
    }
    const uint8_t family[] = {0x83, 0x41}, full[] = {0x83, 0x41, ' ', 'B'};
    t.addRecord(std::make_unique<TTNameRecord>(1, 1, 11, 1, family, sizeof family));
    TTNameRecord* japaneseFull = t.addRecord(std::make_unique<TTNameRecord>(1, 1, 11, 4, full, sizeof full));
    t.applySuffix("-\xC3\xBC");
    EXPECT_EQ(t.record(1)->wideText(), u"Caf\u00E9-\u00FC Bold");
    EXPECT_EQ(t.record(1)->rawText(), std::string("Caf\x8E-\x9F Bold"));
    EXPECT_EQ(t.record(3)->wideText(), u"Caf\u00E9-\u00FC Bold");
    EXPECT_EQ(japaneseFull->rawText(), std::string("\x83\x41-? B"));
}

TEST(Name, PostScriptNamesKeepPrintableAsciiWithoutDelimitersUpTo63) {
    for (uint16_t platform : {1, 3}) {
        nameTABLE t(nullptr);
        t.reset();
        TTNameRecord* ps = Add(t, platform, 6, "Serif-Bold");
        t.applySuffix(" (Sig) [a]{b}<c>/d%e \xC3\xA4\xE2\x82\xAC\tf~");
        EXPECT_EQ(ps->wideText(), U("Serif-BoldSigabcdef~")) << platform;
        EXPECT_EQ(ps->rawText(), platform == 3 ? Utf16Be("Serif-BoldSigabcdef~") : "Serif-BoldSigabcdef~");

        t.applySuffix(std::string(100, 'x'));
        EXPECT_EQ(ps->wideText(), U(("Serif-BoldSigabcdef~" + std::string(63 - 20, 'x')).c_str())) << platform;
    }
}

TEST(Name, DamagedRecordsAreBounded) {
    Bytes b;
    Be{b}.u16(0).u16(2).u16(30);
    Be{b}.u16(3).u16(1).u16(0x409).u16(1).u16(4).u16(0);       // inside the storage
    Be{b}.u16(3).u16(1).u16(0x409).u16(4).u16(200).u16(2);     // reaching past it
    Be{b}.u16('A').u16('B');
    int code;
    auto t = Read(b, &code);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(t->recordCount(), 2u);
    EXPECT_EQ(t->record(0)->wideText(), U("AB"));
    EXPECT_TRUE(t->record(1)->wideText().empty());

    Bytes truncated(b.begin(), b.begin() + 20);
    Read(truncated, &code);
    EXPECT_EQ(code, TTError::kRead);
}

TEST(Name, LanguageTagsOfFormatOneSurvive) {
    Bytes b;
    Be{b}.u16(1).u16(1).u16(6 + 12 + 2 + 4);
    Be{b}.u16(0).u16(4).u16(0x8000).u16(1).u16(2).u16(0);
    Be{b}.u16(1).u16(4).u16(2);
    Be{b}.u16('X').u16('d').u16('e');
    auto t = Read(b);
    ASSERT_EQ(t->m_langTags.size(), 1u);
    EXPECT_EQ(t->m_langTags[0], U("de"));
    EXPECT_EQ(Write(*t), b);
}

TEST(Name, LookUpRemoveAndCopy) {
    nameTABLE a(nullptr), b(nullptr);
    a.reset();
    b.reset();
    Add(a, 1, 1, "Mac");
    Add(a, 3, 1, "Win");
    Add(a, 3, 2, "Regular");
    Add(b, 3, 1, "Other");
    EXPECT_EQ(a.text(-1, 1, 3), "Win");
    EXPECT_EQ(*a.wideText(1, 1), U("Mac"));
    EXPECT_EQ(a.text(1, 0, 0, 9), "");
    EXPECT_EQ(a.wideText(3, 1, 0x409, 9), nullptr);
    a.copyRecords(b, 3, nameTABLE::kAny, nameTABLE::kAny, 1);
    ASSERT_EQ(a.recordCount(), 3u);
    EXPECT_EQ(a.text(-1, 1, 3), "Other");
    a.removeRecords(nameTABLE::kAny, nameTABLE::kAny, nameTABLE::kAny, 1);
    ASSERT_EQ(a.recordCount(), 1u);
    EXPECT_EQ(a.record(0)->nameID, 2);
}

}  // namespace
