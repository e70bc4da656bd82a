#include "TwainClient.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "Error.h"
#include "MonoImage.h"
#include "PlatformServices.h"
#include "StringIds.h"
#include "Strings.h"

using namespace twain;

namespace {

constexpr int kStrNoConnections = 61254, kStrNoSource = 61256;
constexpr int kStrConditionKnown = 61257, kStrConditionUnknown = 61258, kStrState = 61259;

void CopyName(TW_STR32& to, const char* from) {
    std::strncpy(to, from, sizeof(TW_STR32) - 1);
    to[sizeof(TW_STR32) - 1] = 0;
}

// A capability container in a block of its own, released after the call.
struct Container {
    void* block = nullptr;
    explicit Container(size_t bytes) : block(std::calloc(1, bytes)) {}
    ~Container() { std::free(block); }
};

// Copies the strip's rows (bytesPerRow apart) into the scratch bitmap, as far as the
// bytes written cover them.
void CopyStrip(const uint8_t* buffer, uint32_t bytesWritten, const TW_IMAGEMEMXFER& xfer, MonoBitmap& scratch) {
    const uint32_t columns = xfer.Columns, rows = xfer.Rows, bytesPerRow = xfer.BytesPerRow;
    const size_t rowBytes = std::min<size_t>(size_t(scratch.stride), (size_t(columns) + 7) / 8);
    for (uint32_t row = 0; row < rows && row < uint32_t(scratch.height); ++row) {
        size_t at = size_t(row) * bytesPerRow;
        if (at >= bytesWritten) break;
        size_t n = std::min<size_t>(rowBytes, bytesWritten - at);
        std::memcpy(scratch.Row(int32_t(row)), buffer + at, n);
    }
}

}  // namespace

TwainClient::TwainClient() {
    m_appIdentity.Version.MajorNum = 1;
    m_appIdentity.Version.MinorNum = 0;
    m_appIdentity.Version.Language = TWLG_USA;
    m_appIdentity.Version.Country = TWCY_USA;
    m_appIdentity.ProtocolMajor = 1;
    m_appIdentity.ProtocolMinor = 5;
    m_appIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyName(m_appIdentity.Manufacturer, "Torvane Design Group");
    CopyName(m_appIdentity.ProductFamily, GetString(StringId::kCaption));
    CopyName(m_appIdentity.ProductName, GetString(StringId::kCaption));
}

TwainClient::~TwainClient() {
    if (m_hLibrary) dlclose(m_hLibrary);
}

std::string TwainClient::ManagerPath() {
    const char* path = std::getenv("PENMARK_TWAIN_DSM");
    return path && *path ? path : "libtwaindsm.so.2";
}

bool TwainClient::Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    if (!m_pEntry) {
        m_nReturnCode = TwainError::kBadState;
        return false;
    }
    m_nReturnCode = m_pEntry(&m_appIdentity, dest, dg, dat, msg, data);
    if (m_nReturnCode != TWRC_FAILURE) return true;
    TW_STATUS status{};
    if (m_pEntry(&m_appIdentity, dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS)
        m_nConditionCode = status.ConditionCode;
    else
        m_nConditionCode = TWCC_BUMMER;
    return false;
}

bool TwainClient::OpenManager() {
    if (m_bManagerOpen) return true;
    if (!m_pParent) {
        m_nReturnCode = TwainError::kNoParent;
        return false;
    }
    auto fail = [this] {
        if (m_hLibrary) dlclose(m_hLibrary);
        m_hLibrary = nullptr;
        m_pEntry = nullptr;
        m_nReturnCode = TwainError::kNoManager;
        return false;
    };
    m_hLibrary = dlopen(ManagerPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_hLibrary) return fail();
    m_pEntry = reinterpret_cast<DSMENTRYPROC>(dlsym(m_hLibrary, "DSM_Entry"));
    if (!m_pEntry) return fail();
    void* parent = m_pParent;
    if (!Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) || m_nReturnCode != TWRC_SUCCESS) return fail();
    m_bManagerOpen = true;
    return true;
}

void TwainClient::CloseManager() {
    if (!m_bManagerOpen) return;
    void* parent = m_pParent;
    Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    m_bManagerOpen = false;
    if (m_hLibrary) dlclose(m_hLibrary);
    m_hLibrary = nullptr;
    m_pEntry = nullptr;
}

bool TwainClient::SelectSource() {
    if (m_bSourceOpen) {
        m_nReturnCode = TwainError::kBadState;
        return false;
    }
    TW_IDENTITY chosen{};
    Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
    if (!Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen)) return false;
    if (m_nReturnCode == TWRC_SUCCESS) {
        m_sourceIdentity = chosen;
        return true;
    }
    return m_nReturnCode == TWRC_CANCEL;
}

bool TwainClient::OpenSource() {
    if (!m_bManagerOpen) {
        m_nReturnCode = TwainError::kBadState;
        return false;
    }
    if (!Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_sourceIdentity)) return false;
    m_bSourceOpen = true;
    return true;
}

void TwainClient::CloseSource() {
    if (!m_bSourceOpen) return;
    Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_sourceIdentity);
    m_bSourceOpen = false;
}

bool TwainClient::EnableSource() {
    if (!m_bSourceOpen) {
        m_nReturnCode = TwainError::kBadState;
        return false;
    }
    TW_USERINTERFACE ui{1, 0, m_pParent};
    if (!Call(&m_sourceIdentity, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui)) return false;
    m_bSourceEnabled = true;
    return true;
}

void TwainClient::DisableSource() {
    if (!m_bSourceEnabled) return;
    TW_USERINTERFACE ui{0, 0, m_pParent};
    Call(&m_sourceIdentity, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    m_bSourceEnabled = false;
}

void TwainClient::CloseAll() {
    DisableSource();
    CloseSource();
    CloseManager();
}

bool TwainClient::ChooseScanner() {
    if (!m_bManagerOpen && !OpenManager()) {
        ReportError();
        return false;
    }
    if (!SelectSource()) ReportError();
    bool picked = m_nReturnCode == TWRC_SUCCESS;
    CloseManager();
    return picked;
}

void TwainClient::SetCapability(TW_UINT16 cap, bool enumeration, TW_UINT16 value) {
    TW_CAPABILITY capability{cap, enumeration ? TWON_ENUMERATION : TWON_ONEVALUE, nullptr};
    Container block(enumeration ? sizeof(TW_ENUMERATION) : sizeof(TW_ONEVALUE));
    if (!block.block) return;
    if (enumeration) {
        auto* e = static_cast<TW_ENUMERATION*>(block.block);
        e->ItemType = TWTY_UINT16;
        e->NumItems = 1;
        e->CurrentIndex = e->DefaultIndex = 0;
        std::memcpy(e->ItemList, &value, sizeof value);
    } else {
        auto* one = static_cast<TW_ONEVALUE*>(block.block);
        one->ItemType = TWTY_UINT16;
        one->Item = value;
    }
    capability.hContainer = block.block;
    Call(&m_sourceIdentity, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
}

bool TwainClient::StartAcquire() {
    if (!OpenManager()) {
        ReportError();
        return false;
    }
    if (!OpenSource()) {
        ReportError();
        CloseManager();
        return false;
    }
    SetCapability(ICAP_COMPRESSION, false, TWCP_NONE);
    SetCapability(ICAP_XFERMECH, false, TWSX_MEMORY);
    SetCapability(ICAP_PIXELTYPE, true, TWPT_BW);
    SetCapability(ICAP_BITDEPTH, true, 1);
    if (!EnableSource()) {
        CloseSource();
        CloseManager();
        return false;
    }
    return true;
}

bool TwainClient::ProcessEvent(void* event) {
    if (!m_bSourceEnabled) return false;
    TW_EVENT ev{event, 0};
    Call(&m_sourceIdentity, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &ev);
    bool consumed = m_nReturnCode == TWRC_DSEVENT;
    if (ev.TWMessage == MSG_XFERREADY)
        TransferImages();
    else if (ev.TWMessage == MSG_CLOSEDSREQ)
        CloseAll();
    return consumed;
}

bool TwainClient::ReadFlavour(bool& invert) {
    TW_CAPABILITY capability{ICAP_PIXELFLAVOR, TWON_ONEVALUE, nullptr};
    if (!Call(&m_sourceIdentity, DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &capability)) return false;
    if (capability.ConType == TWON_ONEVALUE && capability.hContainer)
        invert = static_cast<TW_ONEVALUE*>(capability.hContainer)->Item != TWPF_CHOCOLATE;
    std::free(capability.hContainer);
    return true;
}

bool TwainClient::TransferOne(MonoBitmap*& picture, bool& invert) {
    TW_IMAGEINFO info{};
    if (!Call(&m_sourceIdentity, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) return false;
    if (info.BitsPerPixel != 1) {
        m_nReturnCode = TwainError::kNotOneBit;
        return false;
    }
    TW_SETUPMEMXFER setup{};
    if (!Call(&m_sourceIdentity, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup)) return false;
    if (info.ImageWidth < 1 || info.ImageLength < 1 || setup.Preferred == 0) {
        m_nReturnCode = TwainError::kBadState;
        return false;
    }
    if (info.Compression != TWCP_NONE) {
        m_nReturnCode = TwainError::kCompressed;
        return false;
    }
    // From here a lack of memory is reported as the low-memory condition.
    std::unique_ptr<MonoBitmap> image = std::make_unique<MonoBitmap>();
    MonoImage scratch;
    std::vector<uint8_t> buffer;
    try {
        image->Create(info.ImageWidth, info.ImageLength);
        image->Fill(1);
        buffer.resize(setup.Preferred);
    } catch (const CodeError&) {
        m_nReturnCode = TWRC_FAILURE;
        m_nConditionCode = TWCC_LOWMEMORY;
        return false;
    } catch (const std::bad_alloc&) {
        m_nReturnCode = TWRC_FAILURE;
        m_nConditionCode = TWCC_LOWMEMORY;
        return false;
    }
    if (info.PixelType == TWPT_BW && !ReadFlavour(invert)) return false;

    TW_UINT16 result;
    do {
        TW_IMAGEMEMXFER xfer{};
        xfer.Compression = 0xFFFF;
        xfer.BytesPerRow = xfer.Columns = xfer.Rows = xfer.XOffset = xfer.YOffset = xfer.BytesWritten = 0xFFFFFFFF;
        xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, uint32_t(buffer.size()), buffer.data()};
        Call(&m_sourceIdentity, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        result = m_nReturnCode;
        if ((result == TWRC_SUCCESS || result == TWRC_XFERDONE) && xfer.BytesWritten != 0) {
            if (xfer.BytesPerRow == 0 || xfer.Columns > uint32_t(INT32_MAX) || xfer.Rows > uint32_t(INT32_MAX)) {
                m_nReturnCode = TwainError::kBadState;
                return false;
            }
            if (xfer.Compression != TWCP_NONE && xfer.Compression != 0xFFFF) {
                m_nReturnCode = TwainError::kCompressed;
                return false;
            }
            try {
                if (scratch.width < int32_t(xfer.Columns) || scratch.height < int32_t(xfer.Rows))
                    scratch.Create(int32_t(xfer.Columns), int32_t(xfer.Rows));
            } catch (const CodeError&) {
                m_nReturnCode = TWRC_FAILURE;
                m_nConditionCode = TWCC_LOWMEMORY;
                return false;
            }
            // A source never writes more than the buffer it was given. (The packed
            // fields are read by value: they may not be aligned.)
            const uint32_t bytesWritten = xfer.BytesWritten, x = xfer.XOffset, y = xfer.YOffset;
            uint32_t written = std::min<uint32_t>(bytesWritten, uint32_t(buffer.size()));
            CopyStrip(buffer.data(), written, xfer, scratch);
            MonoImage::Blit(image.get(), int32_t(std::min<uint32_t>(x, INT32_MAX)), int32_t(std::min<uint32_t>(y, INT32_MAX)),
                            int32_t(xfer.Columns), int32_t(xfer.Rows), &scratch, 0, 0, kBlitCopy);
        }
    } while (result == TWRC_SUCCESS);
    if (result == TWRC_XFERDONE) {
        picture = image.release();
        return true;
    }
    if (result == TWRC_CANCEL) {
        m_nReturnCode = TWRC_CANCEL;  // silent
        return true;
    }
    return false;
}

TW_UINT16 TwainClient::EndTransfer() {
    TW_PENDINGXFERS pending{};
    if (!Call(&m_sourceIdentity, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending)) {
        ReportError();
        TW_PENDINGXFERS reset{};
        Call(&m_sourceIdentity, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset);
        return 0;
    }
    return pending.Count;
}

void TwainClient::TransferImages() {
    TW_UINT16 pending = 0;
    do {
        MonoBitmap* picture = nullptr;
        bool invert = false;
        if (!TransferOne(picture, invert)) ReportError();
        pending = EndTransfer();
        if (!picture) continue;
        if (invert) picture->Invert();
        // The receiver closes the connection on the first picture: the remaining
        // transfers are reset, never fetched from a closed source.
        if (pending != 0) {
            TW_PENDINGXFERS reset{};
            Call(&m_sourceIdentity, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset);
            pending = 0;
        }
        if (!m_delivery || m_delivery(picture) != -1) delete picture;
    } while (pending != 0 && m_bSourceOpen);
}

std::string TwainClient::ErrorText() const {
    int id = 0;
    switch (m_nReturnCode) {
        case TwainError::kNoManager: id = StringId::kScanNoManager; break;
        case TwainError::kNotOneBit: id = StringId::kScanNotOneBit; break;
        case TwainError::kCompressed: id = StringId::kScanCompressed; break;
        case TWRC_FAILURE:
            switch (m_nConditionCode) {
                case TWCC_LOWMEMORY: id = StringId::kScanLowMemory; break;
                case TWCC_NODS: id = kStrNoSource; break;
                case TWCC_MAXCONNECTIONS: id = kStrNoConnections; break;
                case TWCC_OPERATIONERROR: return {};
                case 6: case 9: case 10: case 11: case 12:
                    return FormatString(kStrConditionKnown, unsigned(m_nConditionCode));
                default:
                    return FormatString(kStrConditionUnknown, unsigned(m_nConditionCode));
            }
            break;
        case 0: case 2: case 3: case 4: case 5: case 6: case 7: return {};
        default:
            return FormatString(kStrState, unsigned(m_nReturnCode));
    }
    return GetString(id);
}

void TwainClient::ReportError() {
    std::string text = ErrorText();
    if (!text.empty() && m_pMessages) m_pMessages->Show(text, MessageStyle::kOk | MessageStyle::kIconStop);
}
