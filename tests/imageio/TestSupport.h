// Helpers of the reader tests: scratch files, reference pictures, tiny TIFF files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MonoImage.h"

// A scratch path in the test's binary folder.
std::string ScratchPath(const std::string& name);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A P4 portable bitmap (1 = black) as rows of 0 (ink) / 1 (paper) values.
struct Reference {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // row-major
};
bool ReadPbm(const std::string& path, Reference& out);
// Empty when image shows exactly the reference, else where it differs first.
std::string CompareWith(const MonoImage& image, const Reference& ref);

// Little-endian single-strip TIFF with the given entries (tag, type, count, value)
// and the strip data placed after the header; StripOffsets/StripByteCounts are added.
struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
};
std::vector<uint8_t> TinyTiff(uint32_t width, uint32_t length, uint16_t compression,
                              const std::vector<uint8_t>& strip,
                              std::vector<TiffEntry> extra = {}, bool withByteCount = true,
                              bool addStripTags = true);

// Packs codes most significant bit first, each of its own width.
class BitWriter {
public:
    void Put(uint32_t code, unsigned width);
    // Appends a string of '0' and '1'.
    void Put(const char* bits);
    void AlignToByte();
    std::vector<uint8_t> bytes;

private:
    unsigned m_used = 8;
};
