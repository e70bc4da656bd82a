// Message catalogues: any bytes give a catalogue or an empty one, never a crash.
#include <cstddef>
#include <cstdint>

#include "MoCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MoCatalog catalog;
    catalog.Parse(data, size);
    return catalog.Translate("German").empty() ? 1 : 0;
}
