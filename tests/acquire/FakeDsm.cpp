#include "FakeDsm.h"

#include <cstdlib>
#include <cstring>

#include "TwainTypes.h"

using namespace twain;

namespace {

FakeDsmScript g_script;
std::vector<FakeCall> g_calls;
uint16_t g_condition = 0;
size_t g_strip = 0;
uint16_t g_pending = 0;

// The strip's bytes, rows bytesPerRow apart, in the source's flavour.
uint32_t WriteStrip(const FakeStrip& s, uint8_t* out, uint32_t room) {
    uint32_t bytes = s.bytesPerRow * s.rows;
    if (bytes > room) return 0;
    std::memset(out, 0x5A, bytes);  // padding holds noise
    for (uint32_t r = 0; r < s.rows; ++r) {
        uint8_t* row = out + r * s.bytesPerRow;
        std::memset(row, 0, (s.columns + 7) / 8);
        for (uint32_t c = 0; c < s.columns; ++c) {
            bool ink = g_script.ink[size_t(s.y + r) * size_t(g_script.width) + s.x + c] != 0;
            bool one = g_script.flavour == TWPF_CHOCOLATE ? !ink : ink;
            if (one) row[c / 8] |= uint8_t(0x80 >> (c % 8));
        }
    }
    return bytes;
}

TW_UINT16 Fail(uint16_t condition) {
    g_condition = condition;
    return TWRC_FAILURE;
}

TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap, FakeCall& call) {
    call.cap = cap->Cap;
    call.conType = cap->ConType;
    if (msg == MSG_SET) {
        if (cap->ConType == TWON_ONEVALUE) call.value = uint16_t(static_cast<TW_ONEVALUE*>(cap->hContainer)->Item);
        if (cap->ConType == TWON_ENUMERATION) {
            auto* e = static_cast<TW_ENUMERATION*>(cap->hContainer);
            std::memcpy(&call.value, e->ItemList, 2);
        }
        return TWRC_SUCCESS;
    }
    if (msg == MSG_GETCURRENT && cap->Cap == ICAP_PIXELFLAVOR) {
        auto* one = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
        one->ItemType = TWTY_UINT16;
        one->Item = g_script.flavour;
        cap->ConType = TWON_ONEVALUE;
        cap->hContainer = one;
        return TWRC_SUCCESS;
    }
    return Fail(9);
}

TW_UINT16 MemoryTransfer(TW_IMAGEMEMXFER* x) {
    if (int(g_strip) == g_script.cancelAfterStrips) return TWRC_CANCEL;
    if (g_strip >= g_script.strips.size()) return TWRC_XFERDONE;
    const FakeStrip& s = g_script.strips[g_strip++];
    x->Compression = 0;
    x->BytesPerRow = s.bytesPerRow;
    x->Columns = s.columns;
    x->Rows = s.rows;
    x->XOffset = s.x;
    x->YOffset = s.y;
    x->BytesWritten = WriteStrip(s, static_cast<uint8_t*>(x->Memory.TheMem), x->Memory.Length);
    return g_strip == g_script.strips.size() ? TWRC_XFERDONE : TWRC_SUCCESS;
}

}  // namespace

extern "C" {

void FakeDsmSetup(const FakeDsmScript* script) {
    g_script = *script;
    g_calls.clear();
    g_strip = 0;
    g_pending = script->pictures;
    g_condition = 0;
}

const std::vector<FakeCall>* FakeDsmCalls() { return &g_calls; }

__attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32 dg, TW_UINT16 dat,
                                                          TW_UINT16 msg, TW_MEMREF data) {
    g_calls.push_back({dg, dat, msg, 0, 0, 0});
    FakeCall& call = g_calls.back();
    switch (dat) {
        case DAT_STATUS:
            if (g_script.failStatus) return TWRC_FAILURE;
            static_cast<TW_STATUS*>(data)->ConditionCode = g_condition;
            return TWRC_SUCCESS;
        case DAT_PARENT: return TWRC_SUCCESS;
        case DAT_IDENTITY:
            if (msg == MSG_USERSELECT) return g_script.userSelect;
            if (msg == MSG_OPENDS && g_script.failOpenSource) return Fail(g_script.failOpenSource);
            return TWRC_SUCCESS;
        case DAT_CAPABILITY: return Capability(msg, static_cast<TW_CAPABILITY*>(data), call);
        case DAT_USERINTERFACE: return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto* ev = static_cast<TW_EVENT*>(data);
            ev->TWMessage = g_script.eventMessage;
            g_script.eventMessage = 0;
            return ev->TWMessage ? TWRC_DSEVENT : TWRC_NOTDSEVENT;
        }
        case DAT_IMAGEINFO: {
            auto* info = static_cast<TW_IMAGEINFO*>(data);
            info->ImageWidth = g_script.width;
            info->ImageLength = g_script.height;
            info->BitsPerPixel = g_script.bitsPerPixel;
            info->PixelType = g_script.pixelType;
            info->Compression = g_script.compression;
            return TWRC_SUCCESS;
        }
        case DAT_SETUPMEMXFER: {
            auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
            setup->MinBufSize = 64;
            setup->MaxBufSize = setup->Preferred = 1 << 16;
            return TWRC_SUCCESS;
        }
        case DAT_IMAGEMEMXFER: return MemoryTransfer(static_cast<TW_IMAGEMEMXFER*>(data));
        case DAT_PENDINGXFERS: {
            auto* pending = static_cast<TW_PENDINGXFERS*>(data);
            if (msg == MSG_ENDXFER && g_pending > 0) --g_pending;
            if (msg == MSG_RESET) g_pending = 0;
            g_strip = 0;
            pending->Count = g_pending;
            return TWRC_SUCCESS;
        }
        default: return Fail(9);
    }
}

}  // extern "C"
