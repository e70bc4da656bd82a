// The part of the published TWAIN 1.x interface this program uses: its structures (packed
// to 2 bytes, as the interface lays them out) and the codes it issues and reads.
#pragma once

#include <cstdint>

namespace twain {

using TW_UINT16 = uint16_t;
using TW_UINT32 = uint32_t;
using TW_INT16 = int16_t;
using TW_INT32 = int32_t;
using TW_BOOL = uint16_t;
using TW_HANDLE = void*;
using TW_MEMREF = void*;
using TW_STR32 = char[34];

#pragma pack(push, 2)
struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

struct TW_SETUPMEMXFER {
    TW_UINT32 MinBufSize;
    TW_UINT32 MaxBufSize;
    TW_UINT32 Preferred;
};

struct TW_MEMORY {
    TW_UINT32 Flags;
    TW_UINT32 Length;
    TW_MEMREF TheMem;
};

struct TW_IMAGEMEMXFER {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow;
    TW_UINT32 Columns;
    TW_UINT32 Rows;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 BytesWritten;
    TW_MEMORY Memory;
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 Reserved;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};

struct TW_EVENT {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_ENUMERATION {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    uint8_t ItemList[2];
};
#pragma pack(pop)

using DSMENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                   TW_UINT16 msg, TW_MEMREF data);

constexpr TW_UINT32 DG_CONTROL = 0x1, DG_IMAGE = 0x2;
constexpr TW_UINT16 DAT_CAPABILITY = 0x1, DAT_EVENT = 0x2, DAT_IDENTITY = 0x3, DAT_PARENT = 0x4,
                    DAT_PENDINGXFERS = 0x5, DAT_SETUPMEMXFER = 0x6, DAT_STATUS = 0x8, DAT_USERINTERFACE = 0x9,
                    DAT_IMAGEINFO = 0x101, DAT_IMAGEMEMXFER = 0x103;
constexpr TW_UINT16 MSG_GET = 0x1, MSG_GETCURRENT = 0x2, MSG_GETDEFAULT = 0x3, MSG_RESET = 0x7, MSG_SET = 0x6,
                    MSG_XFERREADY = 0x101, MSG_CLOSEDSREQ = 0x102, MSG_OPENDSM = 0x301, MSG_CLOSEDSM = 0x302,
                    MSG_OPENDS = 0x401, MSG_CLOSEDS = 0x402, MSG_USERSELECT = 0x403, MSG_DISABLEDS = 0x501,
                    MSG_ENABLEDS = 0x502, MSG_PROCESSEVENT = 0x601, MSG_ENDXFER = 0x701;
constexpr TW_UINT16 TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_CHECKSTATUS = 2, TWRC_CANCEL = 3, TWRC_DSEVENT = 4,
                    TWRC_NOTDSEVENT = 5, TWRC_XFERDONE = 6, TWRC_ENDOFLIST = 7;
constexpr TW_UINT16 TWCC_BUMMER = 1, TWCC_LOWMEMORY = 2, TWCC_NODS = 3, TWCC_MAXCONNECTIONS = 4,
                    TWCC_OPERATIONERROR = 5;
constexpr TW_UINT16 TWON_ENUMERATION = 4, TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWTY_UINT16 = 4;
constexpr TW_UINT16 ICAP_COMPRESSION = 0x100, ICAP_PIXELTYPE = 0x101, ICAP_XFERMECH = 0x103,
                    ICAP_PIXELFLAVOR = 0x111F, ICAP_BITDEPTH = 0x112B;
constexpr TW_UINT16 TWCP_NONE = 0, TWSX_MEMORY = 2, TWPT_BW = 0, TWPF_CHOCOLATE = 0;
constexpr TW_UINT32 TWMF_APPOWNS = 0x1, TWMF_POINTER = 0x8;
constexpr TW_UINT16 TWLG_USA = 13, TWCY_USA = 1;

}  // namespace twain
