// A source manager with one scripted source, built as a shared library and loaded by the
// client through the same dlopen path as the real one.
#pragma once

#include <cstdint>
#include <vector>

struct FakeStrip {
    uint32_t x, y, columns, rows, bytesPerRow;
};

struct FakeDsmScript {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> ink;          // width * height, 1 = ink
    int16_t bitsPerPixel = 1;
    int16_t pixelType = 0;             // TWPT_BW
    uint16_t flavour = 0;              // TWPF_CHOCOLATE (0 is black) or 1 (vanilla)
    uint16_t compression = 0;          // in the image info
    std::vector<FakeStrip> strips;
    int cancelAfterStrips = -1;        // TWRC_CANCEL instead of the strip with this index
    uint16_t pictures = 1;             // pictures pending in all
    uint16_t eventMessage = 0;         // what the next processed event says (MSG_XFERREADY, ...)
    uint16_t failOpenSource = 0;       // a condition code for MSG_OPENDS, 0: opens
    bool failStatus = false;           // the status call fails too
    uint16_t userSelect = 0;           // TWRC of MSG_USERSELECT
};

struct FakeCall {
    uint32_t dg;
    uint16_t dat, msg;
    uint16_t cap, conType, value;  // capability settings: what was set
};

extern "C" {
void FakeDsmSetup(const FakeDsmScript* script);
const std::vector<FakeCall>* FakeDsmCalls();
}
