// Any bytes as a font: read, and when that succeeds, write to memory. A quick read of
// the same bytes runs too, as the font list uses it, and a read of the second face, as a
// collection's face is read.
#include <cstddef>
#include <cstdint>

#include "TTF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        TTMemoryStream in(data, size);
        TTF font;
        if (font.readFrom(&in) == 0) {
            TTMemoryStream out;
            font.writeTo(&out);
        }
    }
    {
        TTMemoryStream in(data, size);
        TTF font;
        font.readQuick(&in);
    }
    {
        TTMemoryStream in(data, size);
        TTF font;
        font.setFaceIndex(1);
        if (font.readFrom(&in) == 0) {
            TTMemoryStream out;
            font.writeTo(&out);
        }
    }
    return 0;
}
