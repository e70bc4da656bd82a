// Any byte sequence must import cleanly or be refused with a code, and an imported
// outline must survive being moved to the origin.
//
// Seed corpus: tests/eps/data/.
#include <cstddef>
#include <cstdint>

#include "EpsImport.h"
#include "PrepareOutline.h"
#include "PsTokenReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int error = 0;
    auto outline = ReadEpsOutlineFromMemory(data, size, &error);
    if (outline && !PrepareOutline(*outline)) __builtin_trap();  // the import checks the extent
    if (!outline && error == 0) __builtin_trap();

    // The tokenizer on its own with a small buffer, where cut tokens are common.
    if (size > 0) {
        PsTokenReader reader(data + 1, size - 1);
        char buf[16];
        const size_t bufSize = 2 + data[0] % (sizeof buf - 1);
        for (size_t guard = 0; guard <= size; ++guard)
            if (reader.NextToken(buf, bufSize) == kPsEnd) break;
    }
    return 0;
}
