// The PNG and JPEG decoders over arbitrary bytes: every input ends in a picture or a
// code, within the pixel limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Error.h"
#include "PhotoReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    for (auto decode : {DecodePng, DecodeJpeg}) {
        GreyImage grey;
        try {
            decode(bytes, grey);
        } catch (const CodeError&) {
        }
    }
    return 0;
}
