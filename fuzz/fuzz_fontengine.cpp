// Any bytes as a font: read, and when that succeeds, write to memory. A quick read of
// the same bytes runs too, as the font list uses it.
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
    return 0;
}
