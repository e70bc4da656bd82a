#include "TTProgramTable.h"

void TTProgramTable::assign(const TTObject& other) {
    TTF_TABLE::assign(other);
    if (const auto* p = dynamic_cast<const TTProgramTable*>(&other); p && p != this) program = p->program;
}

void TTProgramTable::reset() {
    TTF_TABLE::reset();
    program.clear();
}

int TTProgramTable::readBody() {
    program.clear();
    readAll(program);
    return error();
}

int TTProgramTable::writeBody() {
    if (!beginWrite()) return error();
    writeBytes(program);
    return error();
}
