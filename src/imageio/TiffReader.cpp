#include "TiffReader.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "BitTables.h"
#include "BlockStore.h"
#include "CcittDecoder.h"
#include "ByteOrder.h"
#include "Error.h"
#include "ImageErrors.h"
#include "MonoImage.h"
#include "PhotoReaders.h"
#include "TiffDecoders.h"

namespace {

enum TiffType : uint16_t { kShort = 3, kLong = 4 };

enum TiffTag : uint16_t {
    kNewSubfileType = 254,
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kFillOrder = 266,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kOrientation = 274,
    kStripByteCounts = 279,
    kPlanarConfiguration = 284,
    kT4Options = 292,
    kTileWidth = 322,
    kTileLength = 323,
    kTileOffsets = 324,
    kTileByteCounts = 325,
    kPredictor = 317,
    kColorMap = 320,
    kExtraSamples = 338,
};

enum Compression : uint32_t {
    kNone = 1,
    kModifiedHuffman = 2,
    kGroup3 = 3,
    kGroup4 = 4,
    kLzw = 5,
    kPackBits = 32773,
};

constexpr size_t kPieceSize = 65536;

void ReverseBits(std::vector<uint8_t>& data) {
    const auto& reversed = Bits().reversed;
    for (uint8_t& b : data) b = reversed[b];
}

// Turns the decoded picture upright: orientation 1 has row 0 at the top and column 0 at
// the left; the others mirror or turn it (values outside 2 to 8 are taken as 1).
void ApplyOrientation(uint32_t orientation, MonoBitmap& picture) {
    if (orientation < 2 || orientation > 8) return;
    MonoImage image;
    picture.MoveTo(image);
    switch (orientation) {
    case 2: image.Flip(1); break;  // mirrored left-right
    case 3: image.Flip(3); break;  // half turn
    case 4: image.Flip(2); break;  // mirrored top-bottom
    case 5: image.Rotate(0); image.Flip(1); break;  // rows are columns: transposed
    case 6: image.Rotate(0); break;                 // turned a quarter counterclockwise
    case 7: image.Rotate(0); image.Flip(2); break;  // transposed the other way
    case 8: image.Rotate(2); break;                 // turned a quarter clockwise
    }
    image.MoveTo(picture);
}

// Bytes per value of the field types 1 to 12; 0 for unknown types.
unsigned TypeSize(uint16_t type) {
    static const unsigned sizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < 13 ? sizes[type] : 0;
}

// One directory entry as found, its 4-byte value field still raw.
struct Entry {
    bool present = false;
    uint16_t type = 0;
    uint32_t count = 0;
    uint8_t field[4] = {};
};

struct Directory {
    uint32_t newSubfileType = 0;
    uint32_t width = 0;
    uint32_t length = 0;
    Entry bitsPerSample;
    uint32_t compression = kNone;
    uint32_t photometric = 0;
    uint32_t fillOrder = 1;    // 2: the bits of each byte come lowest first
    uint32_t orientation = 1;  // where row 0 and column 0 of the stored picture belong
    uint32_t samplesPerPixel = 1;
    uint32_t rowsPerStrip = 0xFFFFFFFF;
    uint32_t planar = 1;
    uint32_t t4Options = 0;  // bit 0: rows may be two-dimensional
    uint32_t tileWidth = 0;
    uint32_t tileLength = 0;
    Entry offsets;     // strip or tile offsets, whichever came last
    Entry byteCounts;  // the matching byte counts
    bool tiled = false;
    // Read only for grey and colour pictures.
    uint32_t predictor = 1;  // 2: each sample stored as the difference to the one before
    Entry colorMap;
    uint32_t extraSample = 0;  // what a sample beyond the colour is: 1 premultiplied alpha, 2 alpha
};

// The samples of a grey or colour picture as read: rows of width x samples values of
// bits bits each, packed as the file packs them.
struct SampleLayout {
    uint32_t width = 0, length = 0;
    uint32_t samples = 1, bits = 8;
    uint32_t photometric = 1;
    uint32_t predictor = 1;
    uint32_t extraSample = 0;
    uint32_t orientation = 1;
    uint32_t run = 0;  // pixels the differencing runs over: a tile's width, or the row
    bool bigEndian = false;
    std::vector<uint32_t> colorMap;  // red, green, blue tables of 2^bits 16-bit values each
};

class TiffParser {
public:
    TiffParser(ImageFile& file, const ProgressFn& progress) : m_file(file), m_progress(progress) {}
    void Read(MonoBitmap& out);
    // A grey or colour picture's samples: rows of its bytes, held as a 1-bit bitmap as
    // many bits wide as a row has, so that the same decoders and store serve.
    void ReadSamples(MonoBitmap& rows, SampleLayout& layout);

private:
    uint16_t U16(const uint8_t* p) const { return m_bigEndian ? ReadBE16(p) : ReadLE16(p); }
    uint32_t U32(const uint8_t* p) const { return m_bigEndian ? ReadBE32(p) : ReadLE32(p); }

    uint32_t ReadHeader();
    void ReadDirectory(uint32_t offset);
    void TakeEntry(uint16_t tag, const Entry& e);
    uint32_t ScalarValue(const Entry& e) const;
    void Check();
    void CheckSamples(SampleLayout& layout);
    void CheckLayout();
    std::vector<uint32_t> ReadValues(const Entry& e);
    uint64_t MaxInput(uint64_t blockBytes) const;
    void Decode(MonoBitmap& out, const std::vector<uint32_t>& offsets,
                const std::vector<uint32_t>& counts);
    // Announces the decoding to the progress callback, then decodes every block.
    void ReportAndDecode(MonoBitmap& out, const std::vector<uint32_t>& offsets,
                         const std::vector<uint32_t>& counts);
    void ReadBlockData(uint32_t offset, uint64_t byteCount);
    uint64_t DataEnd(const std::vector<uint32_t>& sortedOffsets, uint32_t offset) const;

    ImageFile& m_file;
    const ProgressFn& m_progress;
    bool m_bigEndian = false;
    Directory m_dir;
    bool m_samples = false;  // reading a grey or colour picture
    uint64_t m_across = 0;  // tiles across (1 for strips)
    std::vector<uint8_t> m_data;  // one block's compressed bytes
};

uint32_t TiffParser::ReadHeader() {
    uint8_t header[8];
    size_t got = m_file.ReadSome(header, sizeof header);
    if (got < 2) RaiseError(ImageError::kUnknownFormat);
    if (header[0] == 'I' && header[1] == 'I')
        m_bigEndian = false;
    else if (header[0] == 'M' && header[1] == 'M')
        m_bigEndian = true;
    else
        RaiseError(ImageError::kUnknownFormat);
    if (got < 4) RaiseError(ImageError::kReadError);
    if (U16(header + 2) != 42) RaiseError(ImageError::kBadVersion);
    if (got < 8) RaiseError(ImageError::kReadError);
    uint32_t first = U32(header + 4);
    if (first < 8) RaiseError(ImageError::kInvalidData);
    return first;
}

void TiffParser::ReadDirectory(uint32_t offset) {
    m_file.Seek(offset);
    uint8_t countBytes[2];
    m_file.Read(countBytes, 2);
    size_t count = U16(countBytes);
    std::vector<uint8_t> entries(count * 12);
    m_file.Read(entries.data(), entries.size());
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = entries.data() + i * 12;
        Entry e;
        e.present = true;
        e.type = U16(p + 2);
        e.count = U32(p + 4);
        std::copy(p + 8, p + 12, e.field);
        TakeEntry(U16(p), e);
    }
}

// The one SHORT or LONG value of an entry.
uint32_t TiffParser::ScalarValue(const Entry& e) const {
    return e.type == kShort ? U16(e.field) : U32(e.field);
}

void TiffParser::TakeEntry(uint16_t tag, const Entry& e) {
    const bool shortOrLong = e.type == kShort || e.type == kLong;
    const bool oneShort = e.type == kShort && e.count == 1;
    const bool oneShortOrLong = shortOrLong && e.count == 1;
    auto require = [](bool ok) {
        if (!ok) RaiseError(ImageError::kBadLayout);
    };
    switch (tag) {
    case kNewSubfileType:
        require(e.type == kLong && e.count == 1);
        m_dir.newSubfileType = ScalarValue(e);
        break;
    case kImageWidth:
        require(oneShortOrLong);
        m_dir.width = ScalarValue(e);
        break;
    case kImageLength:
        require(oneShortOrLong);
        m_dir.length = ScalarValue(e);
        break;
    case kBitsPerSample: m_dir.bitsPerSample = e; break;
    case kCompression:
        require(oneShort);
        m_dir.compression = ScalarValue(e);
        break;
    case kPhotometric:
        require(oneShort);
        m_dir.photometric = ScalarValue(e);
        break;
    case kFillOrder:
        require(oneShort);
        m_dir.fillOrder = ScalarValue(e);
        break;
    case kOrientation:
        require(oneShort);
        m_dir.orientation = ScalarValue(e);
        break;
    case kSamplesPerPixel:
        require(oneShort);
        m_dir.samplesPerPixel = ScalarValue(e);
        break;
    case kRowsPerStrip:
        require(oneShortOrLong);
        m_dir.rowsPerStrip = ScalarValue(e);
        break;
    case kPlanarConfiguration:
        require(oneShort);
        m_dir.planar = ScalarValue(e);
        break;
    case kT4Options:
        require(oneShortOrLong);
        m_dir.t4Options = ScalarValue(e);
        break;
    case kTileWidth:
        require(oneShortOrLong);
        m_dir.tileWidth = ScalarValue(e);
        break;
    case kTileLength:
        require(oneShortOrLong);
        m_dir.tileLength = ScalarValue(e);
        break;
    case kStripOffsets:
    case kTileOffsets:
        require(shortOrLong);
        m_dir.tiled = tag == kTileOffsets;
        m_dir.offsets = e;
        break;
    case kStripByteCounts:
    case kTileByteCounts:
        require(shortOrLong);
        m_dir.byteCounts = e;
        break;
    case kPredictor:
        require(oneShort);
        m_dir.predictor = ScalarValue(e);
        break;
    case kColorMap:
        require(e.type == kShort);
        m_dir.colorMap = e;
        break;
    case kExtraSamples:
        require(e.type == kShort && e.count >= 1);
        if (e.count == 1) m_dir.extraSample = ScalarValue(e);
        break;
    default: break;  // every other tag is skipped
    }
}

void TiffParser::Check() {
    const Directory& d = m_dir;
    auto fail = [](bool bad, int code) {
        if (bad) RaiseError(code);
    };
    // A page of a multi-page document (bit 1) is an ordinary picture; a reduced-resolution
    // copy (bit 0) or a transparency mask (bit 2) is not the picture itself.
    fail((d.newSubfileType & 5) != 0, ImageError::kBadLayout);
    fail(d.fillOrder != 1 && d.fillOrder != 2, ImageError::kBadLayout);
    fail(d.width == 0 || d.length == 0, ImageError::kBadLayout);
    fail(d.samplesPerPixel != 1, ImageError::kNotBlackWhite);
    if (d.bitsPerSample.present) {
        const Entry& b = d.bitsPerSample;
        fail(b.type != kShort || b.count != 1 || U16(b.field) != 1, ImageError::kNotBlackWhite);
    }
    fail(d.planar != 1, ImageError::kBadLayout);
    fail(d.photometric > 1, ImageError::kBadLayout);
    fail(d.compression != kNone && d.compression != kModifiedHuffman && d.compression != kGroup3 &&
             d.compression != kGroup4 && d.compression != kLzw && d.compression != kPackBits,
         ImageError::kBadCompression);
    fail(d.rowsPerStrip == 0, ImageError::kBadLayout);
    m_dir.rowsPerStrip = std::min(d.rowsPerStrip, d.length);
}

// A grey or colour picture: 8 or 16 bits per sample; grey, RGB or a palette, each with
// an alpha sample or not, interleaved; none, LZW or PackBits compression. Sizes it in
// bits, as a 1-bit picture of the same bytes, for the layout checks and decoders.
void TiffParser::CheckSamples(SampleLayout& layout) {
    Directory& d = m_dir;
    auto fail = [](bool bad, int code) {
        if (bad) RaiseError(code);
    };
    fail((d.newSubfileType & 5) != 0 || d.fillOrder != 1 || d.width == 0 || d.length == 0, ImageError::kBadLayout);
    fail(d.planar != 1 || d.predictor < 1 || d.predictor > 2, ImageError::kBadLayout);
    fail(d.compression != kNone && d.compression != kLzw && d.compression != kPackBits, ImageError::kBadCompression);
    fail(d.rowsPerStrip == 0, ImageError::kBadLayout);
    d.rowsPerStrip = std::min(d.rowsPerStrip, d.length);
    const uint32_t samples = d.samplesPerPixel;
    uint32_t bits = 1;
    if (d.bitsPerSample.present) {
        const Entry& b = d.bitsPerSample;
        fail(b.type != kShort || b.count != samples, ImageError::kBadLayout);
        std::vector<uint32_t> each = ReadValues(b);
        bits = each[0];
        for (uint32_t v : each) fail(v != bits, ImageError::kNotBlackWhite);
    }
    fail(bits != 8 && bits != 16, ImageError::kNotBlackWhite);
    const bool grey = d.photometric <= 1, rgb = d.photometric == 2, palette = d.photometric == 3;
    fail(!((grey && samples <= 2) || (rgb && samples >= 3 && samples <= 4) || (palette && samples == 1 && bits == 8)),
         ImageError::kNotBlackWhite);
    layout.width = d.width;
    layout.length = d.length;
    layout.samples = samples;
    layout.bits = bits;
    layout.photometric = d.photometric;
    layout.predictor = d.predictor;
    layout.extraSample = d.extraSample;
    layout.orientation = d.orientation;
    layout.bigEndian = m_bigEndian;
    layout.run = d.tiled ? d.tileWidth : d.width;
    if (palette) {
        fail(!d.colorMap.present || d.colorMap.count != 3 * 256, ImageError::kBadLayout);
        layout.colorMap = ReadValues(d.colorMap);
    }
    // Refused before anything is allocated for it.
    fail(uint64_t(d.width) * d.length > kMaxPhotoPixels, ImageError::kTooLarge);
    const uint64_t bitsPerPixel = uint64_t(samples) * bits;
    constexpr uint64_t kMaxSide = uint64_t(std::numeric_limits<int32_t>::max());
    fail(d.width * bitsPerPixel > kMaxSide || uint64_t(d.tileWidth) * bitsPerPixel > 0xFFFFFFFFu,
         ImageError::kTooLarge);
    d.width = uint32_t(d.width * bitsPerPixel);
    d.tileWidth = uint32_t(d.tileWidth * bitsPerPixel);
    d.photometric = 1;  // the bytes are stored as they are
}

// Strips or tiles: the offsets and byte counts must match the blocks the picture needs.
void TiffParser::CheckLayout() {
    const Directory& d = m_dir;
    if (!d.offsets.present) RaiseError(ImageError::kBadLayout);
    uint64_t count;
    if (d.tiled) {
        if (d.tileWidth == 0 || d.tileLength == 0) RaiseError(ImageError::kBadLayout);
        m_across = (uint64_t(d.width) + d.tileWidth - 1) / d.tileWidth;
        uint64_t down = (uint64_t(d.length) + d.tileLength - 1) / d.tileLength;
        count = m_across * down;  // both below 2^32
        // Tiles overhang the picture by less than a tile; tiles far larger than the
        // picture would only make the decoders churn through data that is thrown away.
        uint64_t tileBytes = (uint64_t(d.tileWidth) + 7) / 8 * d.tileLength;  // below 2^61
        uint64_t pictureBytes = (uint64_t(d.width) + 15) / 16 * 2 * d.length;  // below 2^61
        uint64_t limit = pictureBytes * 4 + (uint64_t(16) << 20);
        if (tileBytes > limit / count) RaiseError(ImageError::kBadLayout);
    } else {
        m_across = 1;
        count = (uint64_t(d.length) + d.rowsPerStrip - 1) / d.rowsPerStrip;
    }
    if (d.offsets.count != count) RaiseError(ImageError::kBadLayout);
    if (d.byteCounts.present && d.byteCounts.count != count) RaiseError(ImageError::kBadLayout);
}

std::vector<uint32_t> TiffParser::ReadValues(const Entry& e) {
    const unsigned size = TypeSize(e.type);
    const uint64_t bytes = uint64_t(e.count) * size;
    std::vector<uint8_t> raw;
    const uint8_t* p = e.field;
    if (bytes > 4) {
        uint32_t at = U32(e.field);
        m_file.RequireInside(at, bytes);
        raw.resize(size_t(bytes));
        m_file.Seek(at);
        m_file.Read(raw.data(), raw.size());
        p = raw.data();
    }
    std::vector<uint32_t> values(e.count);
    for (uint32_t i = 0; i < e.count; ++i)
        values[i] = e.type == kShort ? U16(p + 2 * size_t(i)) : U32(p + 4 * size_t(i));
    return values;
}

void TiffParser::ReadBlockData(uint32_t offset, uint64_t byteCount) {
    m_file.Seek(offset);
    m_file.RequireInside(offset, byteCount);
    m_data.resize(size_t(byteCount));
    for (size_t done = 0; done < m_data.size(); done += kPieceSize)
        m_file.Read(m_data.data() + done, std::min(kPieceSize, m_data.size() - done));
}

// Where the data of a block without a byte count can end at the latest: at the next
// block's start, or the end of the file. This keeps the reading linear in the file size.
uint64_t TiffParser::DataEnd(const std::vector<uint32_t>& sortedOffsets, uint32_t offset) const {
    auto next = std::upper_bound(sortedOffsets.begin(), sortedOffsets.end(), offset);
    uint64_t end = next == sortedOffsets.end() ? m_file.Size() : *next;
    return std::min<uint64_t>(end, m_file.Size());
}

// The most data a block's decoder can use. Uncompressed data is the block itself; no
// encoder spends more than a few bytes of code per decoded byte (alternating one-pixel
// fax runs, the worst case, take 4.5). The bound keeps a file whose blocks all claim the
// same large stretch of data from being read and decoded once per block.
uint64_t TiffParser::MaxInput(uint64_t blockBytes) const {
    if (m_dir.compression == kNone) return blockBytes;
    return blockBytes * 16 + 1024;
}

void TiffParser::Decode(MonoBitmap& out, const std::vector<uint32_t>& offsets,
                        const std::vector<uint32_t>& counts) {
    const Directory& d = m_dir;
    // WhiteIsZero pictures and fax runs (paper written as 1 bits) each flip the sense of
    // a bit; both together cancel.
    const bool fax = d.compression == kModifiedHuffman || d.compression == kGroup3 || d.compression == kGroup4;
    bool complement = !m_samples && (d.photometric == 0) != fax;
    const FaxCoding coding = d.compression == kGroup4 ? FaxCoding::kGroup4
                             : (d.t4Options & 1) ? FaxCoding::kGroup3TwoD
                                                 : FaxCoding::kGroup3OneD;
    CcittDecoder ccitt;
    BlockStore store(out, complement, m_progress);
    LzwDecoder lzw;
    const uint64_t count = offsets.size();
    std::vector<uint32_t> sortedOffsets;
    if (counts.empty() || std::find(counts.begin(), counts.end(), 0u) != counts.end()) {
        sortedOffsets = offsets;
        std::sort(sortedOffsets.begin(), sortedOffsets.end());
    }
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t x, y, blockWidth, blockRows;
        if (d.tiled) {
            x = (i % m_across) * d.tileWidth;
            y = (i / m_across) * d.tileLength;
            blockWidth = d.tileWidth;
            blockRows = d.tileLength;
        } else {
            x = 0;
            y = i * d.rowsPerStrip;
            blockWidth = d.width;
            blockRows = i + 1 < count ? d.rowsPerStrip : d.length - d.rowsPerStrip * (count - 1);
        }
        uint64_t byteCount = counts.empty() ? 0 : counts[i];
        if (byteCount == 0) {
            // Without a byte count the block takes what the file holds up to the next block.
            uint64_t end = DataEnd(sortedOffsets, offsets[i]);
            byteCount = end > offsets[i] ? end - offsets[i] : 0;
        }
        byteCount = std::min(byteCount, MaxInput(blockRows * ((blockWidth + 7) / 8)));
        ReadBlockData(offsets[i], byteCount);
        store.BeginBlock(uint32_t(x), uint32_t(y), blockWidth, blockRows);
        if (d.fillOrder == 2) ReverseBits(m_data);
        const uint8_t* data = m_data.data();
        size_t n = m_data.size();
        switch (d.compression) {
        case kNone: DecodeUncompressed(data, n, store); break;
        case kPackBits: DecodePackBits(data, n, store); break;
        case kLzw: lzw.Decode(data, n, store); break;
        case kModifiedHuffman: DecodeModifiedHuffman(data, n, blockWidth, store); break;
        case kGroup3:
        case kGroup4: ccitt.Decode(data, n, blockWidth, coding, store); break;
        }
        if (!store.Complete()) RaiseError(ImageError::kInvalidData);
    }
    store.Finish();
}

void TiffParser::ReadSamples(MonoBitmap& rows, SampleLayout& layout) {
    m_samples = true;
    ReadDirectory(ReadHeader());
    CheckSamples(layout);
    CheckLayout();
    std::vector<uint32_t> offsets = ReadValues(m_dir.offsets);
    std::vector<uint32_t> counts;
    if (m_dir.byteCounts.present) counts = ReadValues(m_dir.byteCounts);
    rows.Create(int32_t(m_dir.width), int32_t(m_dir.length));
    ReportAndDecode(rows, offsets, counts);
}

void TiffParser::ReportAndDecode(MonoBitmap& out, const std::vector<uint32_t>& offsets,
                                 const std::vector<uint32_t>& counts) {
    int32_t range[2] = {0, 100};
    for (auto [code, param] : {std::pair{ProgressCode::kRange, intptr_t(range)},
                               std::pair{ProgressCode::kPosition, intptr_t(0)}}) {
        int32_t answer = ReportProgress(m_progress, code, param);
        if (answer != 0) RaiseError(answer);
    }
    Decode(out, offsets, counts);
}

// Undoes the horizontal differencing of one row of samples; it starts again with each tile.
void UndoPredictor(uint8_t* row, const SampleLayout& l) {
    const size_t n = size_t(l.width) * l.samples, run = size_t(std::max(l.run, 1u)) * l.samples;
    auto get = [&](size_t i) -> uint32_t { return l.bigEndian ? ReadBE16(row + 2 * i) : ReadLE16(row + 2 * i); };
    for (size_t i = 0; i < n; ++i) {
        if (i % run < l.samples) continue;  // the first pixel of a run is stored as it is
        if (l.bits == 8) {
            row[i] = uint8_t(row[i] + row[i - l.samples]);
            continue;
        }
        uint16_t v = uint16_t(get(i) + get(i - l.samples));
        row[2 * i + (l.bigEndian ? 0 : 1)] = uint8_t(v >> 8);
        row[2 * i + (l.bigEndian ? 1 : 0)] = uint8_t(v);
    }
}

// One row of samples in grey, alpha composited over white paper.
void GreyRow(const uint8_t* row, const SampleLayout& l, uint8_t* out) {
    // The high byte of a 16-bit sample serves: 256 levels are all a threshold needs.
    const size_t step = l.bits / 8, high = l.bits == 16 && !l.bigEndian ? 1 : 0;
    auto sample = [&](size_t pixel, uint32_t s) { return row[(pixel * l.samples + s) * step + high]; };
    const bool alpha = (l.photometric <= 1 && l.samples == 2) || (l.photometric == 2 && l.samples == 4);
    for (uint32_t x = 0; x < l.width; ++x) {
        uint32_t v;
        if (l.photometric == 3) {
            uint8_t i = sample(x, 0);
            v = GreyOf(uint8_t(l.colorMap[i] >> 8), uint8_t(l.colorMap[256 + i] >> 8), uint8_t(l.colorMap[512 + i] >> 8));
        } else if (l.photometric == 2) {
            v = GreyOf(sample(x, 0), sample(x, 1), sample(x, 2));
        } else {
            v = l.photometric == 0 ? 255u - sample(x, 0) : sample(x, 0);
        }
        if (alpha) {
            uint32_t a = sample(x, l.samples - 1);
            // Premultiplied colour already holds its share; the paper shows through the rest.
            v = l.extraSample == 1 ? std::min(255u, v + 255 - a) : (v * a + 255 * (255 - a) + 127) / 255;
        }
        out[x] = uint8_t(v);
    }
}

void TiffParser::Read(MonoBitmap& out) {
    ReadDirectory(ReadHeader());
    Check();
    CheckLayout();
    std::vector<uint32_t> offsets = ReadValues(m_dir.offsets);
    std::vector<uint32_t> counts;
    if (m_dir.byteCounts.present) counts = ReadValues(m_dir.byteCounts);

    constexpr uint32_t kMaxSide = uint32_t(std::numeric_limits<int32_t>::max());
    if (m_dir.width > kMaxSide || m_dir.length > kMaxSide) RaiseError(ImageError::kNoMemory);
    out.Create(int32_t(m_dir.width), int32_t(m_dir.length));
    ReportAndDecode(out, offsets, counts);
    ApplyOrientation(m_dir.orientation, out);
}

}  // namespace

void ReadTiff(ImageFile& file, const ProgressFn& progress, MonoBitmap& out) {
    TiffParser(file, progress).Read(out);
}

void ReadTiffGrey(ImageFile& file, const ProgressFn& progress, GreyImage& out) {
    file.Seek(0);
    MonoBitmap rows;
    SampleLayout layout;
    TiffParser(file, progress).ReadSamples(rows, layout);
    out.width = int32_t(layout.width);
    out.height = int32_t(layout.length);
    out.pixels.resize(size_t(layout.width) * layout.length);
    for (uint32_t y = 0; y < layout.length; ++y) {
        uint8_t* row = rows.Row(int32_t(y));
        if (layout.predictor == 2) UndoPredictor(row, layout);
        GreyRow(row, layout, &out.pixels[size_t(y) * layout.width]);
    }
    rows.Free();
    OrientGrey(out, int(layout.orientation));
}
