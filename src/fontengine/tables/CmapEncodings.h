// The platform/encoding pairs the character map knows, with the format a new subtable
// of each pair gets, and the Windows code page 1252 table used for Symbol fonts.
#pragma once

#include <cstdint>

struct CmapEncoding {
    uint16_t platformID;
    uint16_t encodingID;
    uint16_t newFormat;
    const char* platformName;
    const char* encodingName;
};

class CmapEncodingList {
public:
    // In ascending order of platform and encoding ID, the order records are written in.
    static int size();
    static const CmapEncoding* entry(int index);
    // The index of a pair, -1 when the list does not have it.
    static int indexOf(uint16_t platformID, uint16_t encodingID);
};

// Code page 1252 bytes 0x00..0xFF to Unicode; the bytes the code page leaves undefined
// map to themselves.
extern const uint16_t AnsiToUnicode[256];
