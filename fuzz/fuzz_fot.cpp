// Font resource files: any bytes give a name or an empty result, never a crash.
#include <cstddef>
#include <cstdint>

#include "FontFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string name = ReadFotTargetFromBytes(data, size);
    return name.size() > 4096 ? 1 : 0;
}
