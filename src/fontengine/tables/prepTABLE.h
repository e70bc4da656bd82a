// The control value program, run whenever the size or transformation changes.
#pragma once

#include "TTProgramTable.h"

class prepTABLE : public TTProgramTable {
public:
    prepTABLE(TTObject* owner, uint32_t length = 0, uint32_t checksum = 0, uint32_t offset = 0)
        : TTProgramTable(owner, MakeTag("prep"), length, checksum, offset) {}

    const char* typeName() const override { return "type_prepTABLE"; }
    std::unique_ptr<TTObject> clone() const override {
        auto copy = std::make_unique<prepTABLE>(owner());
        copy->assign(*this);
        return copy;
    }
};
