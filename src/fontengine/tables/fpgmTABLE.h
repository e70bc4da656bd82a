// The font program, run once when the font is first used.
#pragma once

#include "TTProgramTable.h"

class fpgmTABLE : public TTProgramTable {
public:
    fpgmTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0)
        : TTProgramTable(owner, MakeTag("fpgm"), length, checksum, offset) {}

    const char* typeName() const override { return "type_fpgmTABLE"; }
    std::unique_ptr<TTObject> clone() const override {
        auto copy = std::make_unique<fpgmTABLE>(owner());
        copy->assign(*this);
        return copy;
    }
};
