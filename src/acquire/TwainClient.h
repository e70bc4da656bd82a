// The scanner client: the TWAIN source manager loaded at run time, a source chosen by the
// user, 1-bit pictures fetched strip by strip in memory transfers and handed over as a
// MonoBitmap.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "PlatformServices.h"
#include "TwainTypes.h"


// The client's own result codes, kept beside TWAIN's.
namespace TwainError {
constexpr uint16_t kNoManager = 0xA000;   // the source manager could not be loaded or opened
constexpr uint16_t kNoParent = 0xA001;
constexpr uint16_t kNotOneBit = 0xA002;
constexpr uint16_t kBadState = 0xA003;    // wrong state, or an impossible size
constexpr uint16_t kCompressed = 0xA004;
}  // namespace TwainError

class TwainClient : public IScanner {
public:
    TwainClient();
    ~TwainClient() override;
    TwainClient(const TwainClient&) = delete;
    TwainClient& operator=(const TwainClient&) = delete;

    // The source manager library: the environment's PENMARK_TWAIN_DSM, else
    // "libtwaindsm.so.2" from the library path.
    static std::string ManagerPath();

    void SetParentWindow(void* parent) override { m_pParent = parent; }
    void SetMessages(IMessageSink* messages) { m_pMessages = messages; }
    // A delivered picture the receiver does not keep (answer other than -1) is deleted.
    void SetDelivery(Delivery delivery) override { m_delivery = std::move(delivery); }

    // The source-selection button: true only when the user picked a source.
    bool ChooseScanner() override;
    // Opens the source and shows its dialog; true when it is up (the picture comes later
    // through ProcessEvent).
    bool StartAcquire() override;
    // Every event of the application passes here while a source is enabled; true when it
    // was the source's.
    bool ProcessEvent(void* event) override;

    virtual void TransferImages();
    void CloseAll() override;

    bool ManagerOpen() const { return m_bManagerOpen; }
    bool SourceOpen() const { return m_bSourceOpen; }
    bool SourceEnabled() const { return m_bSourceEnabled; }
    uint16_t ReturnCode() const { return m_nReturnCode; }
    uint16_t ConditionCode() const { return m_nConditionCode; }
    const twain::TW_IDENTITY& AppIdentity() const { return m_appIdentity; }

    // The message for the current codes (the string id and its text); empty for none.
    std::string ErrorText() const;
    void ReportError();

protected:
    bool Call(twain::TW_IDENTITY* dest, twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
              void* data);
    bool OpenManager();
    void CloseManager();
    bool SelectSource();
    bool OpenSource();
    void CloseSource();
    bool EnableSource();
    void DisableSource();

private:
    void SetCapability(twain::TW_UINT16 cap, bool enumeration, twain::TW_UINT16 value);
    // One picture; false after a failure (already stored).
    bool TransferOne(MonoBitmap*& picture, bool& invert);
    bool ReadFlavour(bool& invert);
    twain::TW_UINT16 EndTransfer();

    bool m_bManagerOpen = false;
    bool m_bSourceOpen = false;
    bool m_bSourceEnabled = false;
    twain::TW_IDENTITY m_appIdentity{};
    twain::TW_IDENTITY m_sourceIdentity{};
    void* m_pParent = nullptr;
    twain::DSMENTRYPROC m_pEntry = nullptr;
    void* m_hLibrary = nullptr;
    uint16_t m_nReturnCode = 0;
    uint16_t m_nConditionCode = 0;
    IMessageSink* m_pMessages = nullptr;
    Delivery m_delivery;
};
