// The PNG and JPEG decoders over arbitrary bytes: every input ends in a picture or a
// code, within the pixel limit. Small pictures that decode are also made black and
// white every way, flattening by the paper included, with a window taken from the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Error.h"
#include "PaperBackground.h"
#include "PhotoReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    for (auto decode : {DecodePng, DecodeJpeg}) {
        GreyImage grey;
        try {
            decode(bytes, grey);
        } catch (const CodeError&) {
            continue;
        }
        if (uint64_t(grey.width) * uint64_t(grey.height) > 1'000'000) continue;
        GreyImage flat;
        EstimatePaper(grey, size ? int32_t(data[size - 1]) : 1, flat);
        FlattenByPaper(grey, size > 1 ? data[size - 2] : 255, flat);
        for (ThresholdMode mode : {ThresholdMode::Auto, ThresholdMode::Local, ThresholdMode::Fixed}) {
            MonoImage out;
            try {
                Binarize(grey, {mode, size > 2 ? int(data[size - 3]) : 128}, out);
            } catch (const CodeError&) {  // out of memory only
            }
        }
    }
    return 0;
}
