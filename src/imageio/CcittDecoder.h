// Compressions 3 and 4: CCITT Group 3 (one- and two-dimensional rows, each after an
// end-of-line code) and Group 4 (two-dimensional rows, no end-of-line codes).
//
// A row is decoded into the positions where its colour changes, read against the
// positions of the row above (the reference row); rows are then written with
// byte-wide fills. White runs come out as 1 bits, as the modified Huffman decoder
// writes them. Invalid data raises 1024; uncompressed mode, which no common encoder
// writes, raises 1031.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "BlockStore.h"

enum class FaxCoding {
    kGroup3OneD,  // compression 3, every row one-dimensional
    kGroup3TwoD,  // compression 3, each row's end-of-line code tells its coding
    kGroup4,      // compression 4
};

// One object serves every block of a picture, so that its row buffers are reused.
class CcittDecoder {
public:
    void Decode(const uint8_t* data, size_t n, uint64_t rowWidth, FaxCoding coding, BlockStore& store);

private:
    std::vector<uint32_t> m_reference;  // changing positions of the row above
    std::vector<uint32_t> m_current;    // those of the row being decoded
    std::vector<uint8_t> m_row;
};
