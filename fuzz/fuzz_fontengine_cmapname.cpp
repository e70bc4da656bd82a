// Any bytes as a character map and as a naming table: read, change, write.
#include <cstddef>
#include <cstdint>

#include "cmapTABLE.h"
#include "nameTABLE.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        cmapTABLE cmap(nullptr, uint32_t(size));
        TTMemoryStream in(data, size);
        if (cmap.readFrom(&in) == 0) {
            cmap.mapCodeToGlyph(0x41, 3);
            cmap.mapCodeToGlyph(0x1F600, 4);
            TTMemoryStream out;
            cmap.writeTo(&out);
        }
    }
    {
        nameTABLE name(nullptr, uint32_t(size));
        TTMemoryStream in(data, size);
        if (name.readFrom(&in) == 0) {
            name.applySuffix(" Sig");
            TTMemoryStream out;
            name.writeTo(&out);
        }
    }
    return 0;
}
