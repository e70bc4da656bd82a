// Decoders of TIFF strip and tile data. Each decodes one block's bytes into the store
// and stops when the block is complete; invalid data raises 1024. Whether the block was
// completed is the caller's question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "BlockStore.h"

// Compression 1: bytes pass through.
void DecodeUncompressed(const uint8_t* data, size_t n, BlockStore& store);

// Compression 32773: PackBits run-length coding.
void DecodePackBits(const uint8_t* data, size_t n, BlockStore& store);

// Compression 5: LZW, codes most significant bit first, 9 to 12 bits, with the early
// change of code width. One object serves every block of a picture.
//
// Every table string has been output before, so a block of up to directLimit bytes is
// decoded into one buffer where a code's string is a copy of earlier output. Larger
// blocks (only absurd tile sizes make them) are decoded through a small window by
// walking the strings' prefix chains instead.
class LzwDecoder {
public:
    explicit LzwDecoder(uint64_t directLimit = uint64_t(64) << 20);
    void Decode(const uint8_t* data, size_t n, BlockStore& store);

private:
    void DecodeDirect(const uint8_t* data, size_t n, BlockStore& store);
    void DecodeChained(const uint8_t* data, size_t n, BlockStore& store);

    static constexpr int kTableSize = 4096;
    uint64_t m_directLimit;
    // Direct decoding: where each string starts in the output, and its length.
    uint32_t m_start[kTableSize];
    // Chained decoding: each string as its prefix string plus one byte.
    uint16_t m_prefix[kTableSize];
    uint8_t m_suffix[kTableSize];
    uint8_t m_first[kTableSize];
    uint16_t m_length[kTableSize];
    std::vector<uint8_t> m_out;
};

// Compressions 3 and 4 are decoded by CcittDecoder (CcittDecoder.h).

// Compression 2: CCITT Group 3 one-dimensional modified Huffman, each row starting on
// a byte boundary; rows are rowWidth pixels wide.
void DecodeModifiedHuffman(const uint8_t* data, size_t n, uint64_t rowWidth, BlockStore& store);
