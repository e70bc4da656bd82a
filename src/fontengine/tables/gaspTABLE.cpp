#include "gaspTABLE.h"

#include "TTBytes.h"

gaspTABLE::gaspTABLE(TTObject* owner, uint32_t length, uint32_t checksum, uint32_t offset)
    : TTF_TABLE(owner, MakeTag("gasp"), length, checksum, offset) {}

std::unique_ptr<TTObject> gaspTABLE::clone() const {
    auto copy = std::make_unique<gaspTABLE>(owner());
    copy->assign(*this);
    return copy;
}

void gaspTABLE::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* g = dynamic_cast<const gaspTABLE*>(&other); g && g != this) {
        version = g->version;
        ranges = g->ranges;
    }
}

void gaspTABLE::reset() {
    TTF_TABLE::reset();
    version = 0;
    ranges.clear();
}

int gaspTABLE::readBody() {
    ranges.clear();
    std::vector<uint8_t> bytes;
    if (!readAll(bytes)) return error();
    ByteCursor c(bytes);
    version = c.u16();
    uint16_t count = c.u16();
    if (!c.ok() || c.remaining() / 4 < count) {
        setError(TTError::kRead);
        return error();
    }
    ranges.resize(count);
    for (auto& r : ranges) {
        r.rangeMaxpPPEM = c.u16();
        r.rangeGaspBehavior = c.u16();
    }
    return error();
}

int gaspTABLE::writeBody() {
    if (!beginWrite()) return error();
    if (ranges.size() > 0xFFFF) {
        setError(TTError::kInvalid);
        return error();
    }
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u16(version).u16(uint16_t(ranges.size()));
    for (const auto& r : ranges) w.u16(r.rangeMaxpPPEM).u16(r.rangeGaspBehavior);
    writeBytes(bytes);
    return error();
}
