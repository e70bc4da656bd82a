// The SVG reader over arbitrary bytes: every input ends in a picture within the pixel
// limit or a code, and nothing outside the input is read. The first byte picks whether
// the rest is given as it is or packed as SVGZ would be, so that the unpacking bound and
// the renderer are both reached.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Error.h"
#include "SvgReader.h"

namespace {

std::vector<uint8_t> Packed(const uint8_t* data, size_t size) {
    z_stream z{};
    std::vector<uint8_t> out;
    if (deflateInit2(&z, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return out;
    out.resize(deflateBound(&z, uLong(size)) + 32);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool pack = data[0] & 1;
    std::vector<uint8_t> bytes = pack ? Packed(data + 1, size - 1) : std::vector<uint8_t>(data + 1, data + size);
    MonoBitmap out;
    try {
        DecodeSvg(bytes, 128, out);
        if (uint64_t(out.width) * uint64_t(out.height) > kMaxSvgPixels) __builtin_trap();
    } catch (const CodeError&) {
        if (!out.IsEmpty()) __builtin_trap();  // a failure leaves no picture
    }
    return 0;
}
