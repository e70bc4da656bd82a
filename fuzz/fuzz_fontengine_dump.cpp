// Any bytes as a font: read (whatever the outcome), then the plain listing and the
// structured dump of what was read, both into a discarding stream.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "TTDump.h"
#include "TTF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* sink = std::fopen("/dev/null", "w");
    TTMemoryStream in(data, size);
    TTF font;
    font.readFrom(&in);
    font.dumpText(sink);
    {
        TTDumpSink structured(sink);
        font.dumpStructured(structured);
    }
    return 0;
}
