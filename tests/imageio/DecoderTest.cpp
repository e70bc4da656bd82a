// Hand-assembled pictures for what no tool writes: broken and borderline data, the
// progress protocol, cancellation and sizes that cannot be held.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <unistd.h>

#include "ImageErrors.h"
#include "ImageFormatRegistry.h"
#include "TestSupport.h"
#include "TiffDecoders.h"

namespace {

struct Loaded {
    int code = -1;
    std::unique_ptr<MonoImage> image;
};

Loaded Load(const std::vector<uint8_t>& bytes, const char* name = "case.tif",
            const ProgressFn& progress = {}) {
    // Test cases may run side by side in separate processes.
    std::string path = ScratchPath(std::to_string(getpid()) + "-" + name);
    WriteBytes(path, bytes);
    ImageFormatRegistry registry;
    Loaded out;
    out.code = registry.ReadImage(path, progress, out.image);
    std::remove(path.c_str());
    return out;
}

// Row y of the picture as a string of '#' (ink) and '.' (paper).
std::string RowText(const MonoImage& image, int y) {
    std::string s;
    for (int x = 0; x < image.width; ++x) s += image.GetPixel(x, y) == 0 ? '#' : '.';
    return s;
}

// An LZW stream of literal codes with the decoder's code-width schedule.
class LzwWriter {
public:
    void Clear() {
        bits.Put(256, m_width);
        m_width = 9;
        m_next = 258;
        m_first = true;
    }
    void Literal(uint8_t byte) {
        bits.Put(byte, m_width);
        if (!m_first) ++m_next;
        m_first = false;
        if (m_next == (1u << m_width) - 1 && m_width < 12) ++m_width;
    }
    void Code(unsigned code) { bits.Put(code, m_width); }
    BitWriter bits;

private:
    unsigned m_width = 9, m_next = 258;
    bool m_first = true;
};

TEST(LzwTest, CodeAboveNextFreeIsInvalid) {
    LzwWriter w;
    w.Clear();
    w.Literal('A');
    w.Code(300);  // next free is 258
    EXPECT_EQ(Load(TinyTiff(64, 1, 5, w.bits.bytes)).code, ImageError::kInvalidData);
}

TEST(LzwTest, FullTableNeedsAClearCode) {
    // One row of 4000 bytes from literals: 3839 literals fill the table to 4096 entries.
    const uint32_t width = 4000 * 8;
    auto stream = [](bool clearInTime) {
        LzwWriter w;
        w.Clear();
        for (int i = 0; i < 3839; ++i) w.Literal(uint8_t(i * 7));
        if (clearInTime) w.Clear();
        for (int i = 3839; i < 4000; ++i) w.Literal(uint8_t(i * 7));
        w.Code(257);
        return w.bits.bytes;
    };
    Loaded good = Load(TinyTiff(width, 1, 5, stream(true)));
    ASSERT_EQ(good.code, 0);
    for (int i = 0; i < 4000; ++i) {
        uint8_t expected = uint8_t(i * 7);
        ASSERT_EQ(good.image->Row(0)[i], expected) << i;  // BlackIsZero: bits as stored
    }
    EXPECT_EQ(Load(TinyTiff(width, 1, 5, stream(false))).code, ImageError::kInvalidData);
}

TEST(PackBitsTest, LiteralRepeatAndNoOpHeaders) {
    // 0x80 is skipped; 1 copies two bytes; -1 repeats the next byte twice.
    Loaded r = Load(TinyTiff(32, 1, 32773, {0x80, 0x01, 0x0F, 0xF0, 0xFF, 0x3C}));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(RowText(*r.image, 0), "####........######....####....##");
    // The same data cut short leaves the row unfinished.
    EXPECT_EQ(Load(TinyTiff(32, 1, 32773, {0x01, 0x0F, 0xF0, 0xFF})).code, ImageError::kInvalidData);
}

// Modified Huffman rows of a WhiteIsZero picture: white runs are paper.
std::vector<uint8_t> FaxTiff(uint32_t width, uint32_t length, const BitWriter& w) {
    return TinyTiff(width, length, 2, w.bytes, {{262, 3, 1, 0}});
}

TEST(ModifiedHuffmanTest, EndOfLineDropsPendingMakeUp) {
    BitWriter w;
    w.Put("11011");         // white make-up 64, then dropped by ...
    w.Put("0000");          // fill
    w.Put("000000000001");  // ... the end-of-line code
    w.Put("00010101");      // white 36
    w.Put("0000001111");    // black make-up 64
    w.Put("0000110111");    // black 0
    Loaded r = Load(FaxTiff(100, 1, w));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(RowText(*r.image, 0), std::string(36, '.') + std::string(64, '#'));
}

TEST(ModifiedHuffmanTest, RowsStartOnByteBoundaries) {
    BitWriter w;
    w.Put("1000");  // white 3
    w.AlignToByte();
    w.Put("00110101");  // white 0
    w.Put("10");        // black 3
    w.AlignToByte();
    w.Put("0111");  // white 2
    w.Put("010");   // black 1
    Loaded r = Load(FaxTiff(3, 3, w));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(RowText(*r.image, 0), "...");
    EXPECT_EQ(RowText(*r.image, 1), "###");
    EXPECT_EQ(RowText(*r.image, 2), "..#");
    // BlackIsZero turns the decoder's white runs into ink.
    Loaded inverse = Load(TinyTiff(3, 3, 2, w.bytes));
    ASSERT_EQ(inverse.code, 0);
    EXPECT_EQ(RowText(*inverse.image, 2), "##.");
}

TEST(ModifiedHuffmanTest, BrokenRowsAreInvalid) {
    BitWriter undefinedCode;
    undefinedCode.Put("000000001");  // eight zeros start no code but an end of line
    BitWriter pastRowEnd;
    pastRowEnd.Put("00111");  // white 10 in a row of 8
    BitWriter makeUpPastEnd;
    makeUpPastEnd.Put("11011");  // white make-up 64 in a row of 8
    BitWriter shortData;
    shortData.Put("1011");  // white 4 of 8, then nothing
    for (const BitWriter* w : {&undefinedCode, &pastRowEnd, &makeUpPastEnd, &shortData})
        EXPECT_EQ(Load(FaxTiff(8, 1, *w)).code, ImageError::kInvalidData);
}

// Group 4 (or Group 3 with extra entries) rows of a WhiteIsZero picture.
std::vector<uint8_t> CcittTiff(uint16_t compression, uint32_t width, uint32_t length, const BitWriter& w,
                               std::vector<TiffEntry> extra = {}) {
    extra.push_back({262, 3, 1, 0});
    return TinyTiff(width, length, compression, w.bytes, extra);
}

TEST(CcittTest, HorizontalVerticalAndPassModes) {
    BitWriter w;
    w.Put("001" "1000" "11" "1");  // horizontal white 3 black 2, V0 to the row's end
    w.Put("1" "011" "1");          // V0 to 3, VR1 to 6 (one right of 5), V0
    w.Put("0001" "1");             // pass over 3..5, V0
    Loaded r = Load(CcittTiff(4, 8, 3, w));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(RowText(*r.image, 0), "...##...");
    EXPECT_EQ(RowText(*r.image, 1), "...###..");
    EXPECT_EQ(RowText(*r.image, 2), "........");
    // The same bits lowest first.
    std::vector<uint8_t> reversed = w.bytes;
    for (uint8_t& b : reversed) {
        uint8_t v = 0;
        for (int i = 0; i < 8; ++i) v = uint8_t(v | ((b >> i & 1) << (7 - i)));
        b = v;
    }
    BitWriter lowestFirst;
    lowestFirst.bytes = reversed;
    Loaded flipped = Load(CcittTiff(4, 8, 3, lowestFirst, {{266, 3, 1, 2}}));
    ASSERT_EQ(flipped.code, 0);
    EXPECT_EQ(RowText(*flipped.image, 1), "...###..");
}

TEST(CcittTest, UncompressedModeIsRefusedAsACompression) {
    BitWriter twoDimensional;
    twoDimensional.Put("0000001111");  // the extension code of uncompressed mode
    EXPECT_EQ(Load(CcittTiff(4, 8, 1, twoDimensional)).code, ImageError::kBadCompression);
    BitWriter oneDimensional;
    oneDimensional.Put("000000000001" "000000001111");  // end of line, then the extension
    EXPECT_EQ(Load(CcittTiff(3, 8, 1, oneDimensional)).code, ImageError::kBadCompression);
}

TEST(CcittTest, Group3TwoDimensionalRowsFollowTheirEndOfLine) {
    BitWriter tagged;
    tagged.Put("000000000001" "1" "1000" "10");  // end of line, one-dimensional: white 3 black 3
    tagged.Put("0000" "000000000001" "0" "1" "1");  // fill, end of line, two-dimensional: V0 V0
    const std::vector<TiffEntry> twoD = {{292, 4, 1, 1}};
    Loaded r = Load(CcittTiff(3, 6, 2, tagged, twoD));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(RowText(*r.image, 0), "...###");
    EXPECT_EQ(RowText(*r.image, 1), "...###");
    BitWriter untagged;
    untagged.Put("1");  // a two-dimensional row without its end of line
    EXPECT_EQ(Load(CcittTiff(3, 6, 1, untagged, twoD)).code, ImageError::kInvalidData);
}

TEST(CcittTest, BrokenRowsAreInvalid) {
    BitWriter endOfLineInRow;
    endOfLineInRow.Put("000000000001");
    BitWriter leftOfA0;
    leftOfA0.Put("001" "1000" "11" "0000010");  // white 3 black 2, then VL3 to 5: not right of 5
    BitWriter runPastEnd;
    runPastEnd.Put("001" "10100" "11");  // white 9 in a row of 8
    BitWriter rightOfEnd;
    rightOfEnd.Put("011");  // VR1 from the row's end
    BitWriter shortData;
    shortData.Put("1" "1");  // two rows of three
    for (const BitWriter* w : {&endOfLineInRow, &leftOfA0, &runPastEnd, &rightOfEnd, &shortData})
        EXPECT_EQ(Load(CcittTiff(4, 8, 3, *w)).code, ImageError::kInvalidData);
}

TEST(TiffLayoutTest, TilesNotAlignedToBytesLandOnTheirPixels) {
    // 20 x 2 picture in 12 x 2 uncompressed tiles: the second tile starts at pixel 12.
    std::mt19937 rnd(5);
    std::vector<uint8_t> blob(4 + 4 + 8 + 8);
    for (int i = 0; i < 8; ++i) blob[size_t(i)] = uint8_t(rnd());
    auto put32 = [&](size_t at, uint32_t v) {
        for (int b = 0; b < 4; ++b) blob[at + size_t(b)] = uint8_t(v >> (8 * b));
    };
    put32(8, 8);
    put32(12, 12);
    put32(16, 4);
    put32(20, 4);
    Loaded r = Load(TinyTiff(20, 2, 1, blob,
                             {{322, 3, 1, 12}, {323, 3, 1, 2}, {324, 4, 2, 8 + 8}, {325, 4, 2, 8 + 16}},
                             false, false));
    ASSERT_EQ(r.code, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 20; ++x) {
            int tile = x / 12, bit = x % 12;
            int value = blob[size_t(tile * 4 + y * 2 + bit / 8)] >> (7 - bit % 8) & 1;
            EXPECT_EQ(r.image->GetPixel(x, y), value) << x << "," << y;
        }
}

TEST(TiffLayoutTest, MalformedDirectoriesAreRefused) {
    const std::vector<uint8_t> strip(2, 0xFF);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int code;
    } cases[] = {
        {"width as ASCII", TinyTiff(16, 1, 1, strip, {{256, 2, 1, 16}}), 1025},
        {"compression as LONG", TinyTiff(16, 1, 1, strip, {{259, 4, 1, 1}}), 1025},
        {"zero width", TinyTiff(0, 1, 1, strip), 1025},
        {"no strip offsets", TinyTiff(16, 1, 1, strip, {}, false, false), 1025},
        {"rows per strip 0", TinyTiff(16, 1, 1, strip, {{278, 3, 1, 0}}), 1025},
        {"strip count mismatch", TinyTiff(16, 4, 1, strip, {{278, 3, 1, 1}}), 1025},
        {"byte counts count mismatch", TinyTiff(16, 1, 1, strip, {{279, 4, 2, 8}}), 1025},
        {"tile width 0", TinyTiff(16, 1, 1, strip, {{323, 3, 1, 16}, {324, 4, 1, 8}}), 1025},
        {"planar 2", TinyTiff(16, 1, 1, strip, {{284, 3, 1, 2}}), 1025},
        {"tiles far larger than the picture",
         TinyTiff(16, 1, 5, strip, {{322, 4, 1, 1u << 20}, {323, 4, 1, 1u << 20}, {324, 4, 1, 8}}), 1025},
        {"bits per sample as LONG", TinyTiff(16, 1, 1, strip, {{258, 4, 1, 1}}), 1030},
        {"three samples before compression", TinyTiff(16, 1, 4, strip, {{277, 3, 1, 3}}), 1030},
        {"offsets array past the end",
         TinyTiff(16, 2, 1, strip, {{278, 3, 1, 1}, {273, 4, 2, 4000}, {279, 4, 2, 4000}}), 2006},
        {"strip past the end", TinyTiff(16, 1, 1, strip, {{273, 4, 1, 9000}}), 2006},
        {"strip too short", TinyTiff(16, 3, 1, strip), 1024},
    };
    for (const Case& c : cases) EXPECT_EQ(Load(c.file).code, c.code) << c.what;

    std::vector<uint8_t> file = TinyTiff(16, 1, 1, strip);
    file[4] = 4;  // first directory inside the header
    EXPECT_EQ(Load(file).code, ImageError::kInvalidData);
    file[4] = 0xF0;  // directory past the end
    EXPECT_EQ(Load(file).code, ImageError::kReadError);
    EXPECT_EQ(Load({'I', 'I', 42}).code, ImageError::kReadError);
}

TEST(SizeTest, PicturesTooLargeToHoldGetNotEnoughMemory) {
    EXPECT_EQ(Load(TinyTiff(0x7FFFFFFF, 10, 1, {0})).code, ImageError::kNoMemory);
    EXPECT_EQ(Load(TinyTiff(0x80000000u, 1, 1, {0})).code, ImageError::kNoMemory);
    EXPECT_EQ(Load(TinyTiff(16, 0xFFFFFFFFu, 1, {0})).code, ImageError::kNoMemory);
}

std::vector<uint8_t> TinyBmp(int32_t width, int32_t height) {
    std::vector<uint8_t> f(62, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int b = 0; b < n; ++b) f[at + size_t(b)] = uint8_t(v >> (8 * b));
    };
    uint32_t rowSize = uint32_t((int64_t(width) + 31) / 32 * 4);
    f[0] = 'B', f[1] = 'M';
    put(10, 62, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 1, 2);
    put(58, 0xFFFFFF, 4);  // colour 1 white
    if (height > 0 && height < 1000 && width > 0 && width < 10000) f.resize(62 + rowSize * uint32_t(height), 0xFF);
    return f;
}

TEST(BmpTest, ImpossibleSizesAndOldHeadersAreRefused) {
    EXPECT_EQ(Load(TinyBmp(9, -2), "neg.bmp").code, ImageError::kInvalidData);
    EXPECT_EQ(Load(TinyBmp(-9, 2), "negw.bmp").code, ImageError::kInvalidData);
    EXPECT_EQ(Load(TinyBmp(0x7FFFFFFF, 0x7FFFFFFF), "huge.bmp").code, ImageError::kReadError);
    std::vector<uint8_t> core = TinyBmp(9, 2);
    core[14] = 12;
    EXPECT_EQ(Load(core, "core.bmp").code, ImageError::kBadVersion);
}

// Records every progress call; answers `answer` once a position passes `cancelAt`.
struct Recorder {
    std::vector<std::pair<int32_t, intptr_t>> calls;
    std::vector<int32_t> range;
    int32_t answer = 0;
    intptr_t cancelAt = 1 << 30;
    ProgressFn Fn() {
        return [this](int32_t code, intptr_t param) -> int32_t {
            calls.emplace_back(code, param);
            if (code == ProgressCode::kRange) {
                auto* r = reinterpret_cast<const int32_t*>(param);
                range = {r[0], r[1]};
            }
            return code == ProgressCode::kPosition && param > cancelAt ? answer : 0;
        };
    }
    std::vector<intptr_t> Positions() const {
        std::vector<intptr_t> p;
        for (auto [c, v] : calls)
            if (c == ProgressCode::kPosition) p.push_back(v);
        return p;
    }
};

TEST(ProgressTest, TiffReportsEachFiftieth) {
    std::vector<uint8_t> strip(size_t(13) * 200, 0xFF);
    Recorder rec;
    Loaded r = Load(TinyTiff(100, 200, 1, strip), "progress.tif", rec.Fn());
    ASSERT_EQ(r.code, 0);
    ASSERT_GE(rec.calls.size(), 6u);
    EXPECT_EQ(rec.calls[0].first, ProgressCode::kWaitOn);
    EXPECT_EQ(rec.calls[1].first, ProgressCode::kShowProgress);
    EXPECT_EQ(rec.calls[2].first, ProgressCode::kRange);
    EXPECT_EQ(rec.range, (std::vector<int32_t>{0, 100}));
    EXPECT_EQ(rec.calls[rec.calls.size() - 2].first, ProgressCode::kHideProgress);
    EXPECT_EQ(rec.calls.back().first, ProgressCode::kWaitOff);
    std::vector<intptr_t> pos = rec.Positions();
    EXPECT_EQ(pos.front(), 0);
    EXPECT_EQ(pos.back(), 100);
    EXPECT_TRUE(std::is_sorted(pos.begin(), pos.end()));
    // 2600 of 2800 bytes arrive: a report every 56 bytes, 46 of them, and the closing one.
    EXPECT_EQ(pos.size(), 1u + 46u + 1u);
}

TEST(ProgressTest, BmpReportsEveryEighthRow) {
    Recorder rec;
    Loaded r = Load(TinyBmp(9, 20), "progress.bmp", rec.Fn());
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(rec.range, (std::vector<int32_t>{0, 19}));
    EXPECT_EQ(rec.Positions(), (std::vector<intptr_t>{0, 7, 15, 19}));
}

TEST(ProgressTest, CancellingEndsTheReadWithNothingKept) {
    std::vector<uint8_t> strip(size_t(13) * 200, 0xFF);
    for (const char* name : {"cancel.tif", "cancel.bmp"}) {
        Recorder rec;
        rec.answer = ImageError::kCancelled;
        rec.cancelAt = 5;
        bool bmp = std::string(name).ends_with(".bmp");
        std::string path = ScratchPath(name);
        WriteBytes(path, bmp ? TinyBmp(9, 200) : TinyTiff(100, 200, 1, strip));
        ImageFormatRegistry registry;
        std::unique_ptr<MonoImage> image;
        int reported = 0;
        EXPECT_FALSE(registry.LoadImage(path, image, rec.Fn(), [&](int code) { reported = code; }));
        EXPECT_EQ(reported, 0) << "cancelling shows no message";
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(rec.calls.back().first, ProgressCode::kWaitOff);
        EXPECT_EQ(registry.ReadImage(path, rec.Fn(), image), ImageError::kCancelled);
    }
}

TEST(ProgressTest, EscAsTheBarShowsStopsBeforeAnyRow) {
    std::string path = ScratchPath("cancel-at-show.bmp");
    WriteBytes(path, TinyBmp(9, 20));
    std::vector<int32_t> codes;
    ProgressFn fn = [&](int32_t code, intptr_t) -> int32_t {
        codes.push_back(code);
        return code == ProgressCode::kShowProgress ? ImageError::kCancelled : 0;
    };
    ImageFormatRegistry registry;
    std::unique_ptr<MonoImage> image;
    EXPECT_EQ(registry.ReadImage(path, fn, image), ImageError::kCancelled);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(codes, (std::vector<int32_t>{ProgressCode::kWaitOn, ProgressCode::kShowProgress,
                                           ProgressCode::kHideProgress, ProgressCode::kWaitOff}));
}

}  // namespace

namespace {

// A plain LZW encoder with the same code-width schedule, clearing when the table fills.
std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& input) {
    BitWriter out;
    std::map<std::pair<int, uint8_t>, int> table;
    unsigned width = 9, next = 258;
    out.Put(256, width);
    int current = -1;
    for (uint8_t byte : input) {
        if (current < 0) {
            current = byte;
            continue;
        }
        auto it = table.find({current, byte});
        if (it != table.end()) {
            current = it->second;
            continue;
        }
        out.Put(unsigned(current), width);
        table[{current, byte}] = int(next++);
        // The encoder is one entry ahead of the decoder, so it widens one entry later.
        if (next == (1u << width) && width < 12) ++width;
        if (next == 4095) {
            out.Put(256, width);
            table.clear();
            width = 9;
            next = 258;
        }
        current = byte;
    }
    out.Put(unsigned(current), width);
    out.Put(257, width);
    return out.bytes;
}

TEST(LzwTest, DirectAndChainedDecodingAgree) {
    // Runs of a few values, long enough to use every code width and several clears.
    std::mt19937 rnd(11);
    std::vector<uint8_t> input;
    while (input.size() < 60000) input.insert(input.end(), 1 + rnd() % 300, uint8_t(rnd() % 4 * 0x55));
    input.resize(60000);
    std::vector<uint8_t> stream = LzwEncode(input);
    for (uint64_t directLimit : {uint64_t(1) << 30, uint64_t(0)}) {
        MonoBitmap bitmap;
        bitmap.Create(8 * 600, 100);
        BlockStore store(bitmap, false, {});
        store.BeginBlock(0, 0, 8 * 600, 100);
        LzwDecoder decoder(directLimit);
        decoder.Decode(stream.data(), stream.size(), store);
        ASSERT_TRUE(store.Complete()) << directLimit;
        for (int y = 0; y < 100; ++y)
            ASSERT_EQ(std::memcmp(bitmap.Row(y), &input[size_t(y) * 600], 600), 0) << directLimit << " row " << y;
    }
}

}  // namespace
