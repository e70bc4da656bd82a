#include "TTProgramTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GlyphNames.h"
#include "TTDump.h"
#include "TTF.h"
#include "glyfTABLE.h"

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

void TTProgramTable::dumpLines(FILE* out) {
    std::string header = "\n" + TagText(tag()) + ".data[%d] = {\n";
    TTText::Array<unsigned>(out, header.c_str(), program.size(), 20, [&](size_t i) { return program[i]; }, "%02x, ",
                            "%02x\n");
}

void TTProgramTable::dumpFields(TTDumpSink& sink) { sink.array("program", program.data(), program.size()); }
