// Scanning through SANE, the scanner interface of Linux desktops: devices listed, one
// frame read in lineart or grey at 300 dpi when the device offers it, and turned into a
// 1-bit picture (lineart as it is, grey at the midpoint).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MonoImage.h"
#include "Progress.h"

namespace SaneError {
constexpr int kOk = 0;
constexpr int kNoDevice = 4001;     // no scanner found
constexpr int kOpenFailed = 4002;   // the named device cannot be opened
constexpr int kScanFailed = 4003;   // starting or reading failed
constexpr int kFormat = 4004;       // a frame format this program cannot turn into a picture
constexpr int kNoMemory = 2005;
constexpr int kCancelled = 3000;
}  // namespace SaneError

struct SaneDevice {
    std::string name, vendor, model, type;
};

struct SaneScanRequest {
    std::string device;  // empty: the first device found
    int dpi = 300;
    ProgressFn progress; // positions in percent; a non-zero answer stops the scan
};

class SaneSession {
public:
    SaneSession();
    ~SaneSession();
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;

    bool Ok() const { return m_bOk; }
    std::vector<SaneDevice> Devices();
    // One frame into out; a SaneError code. detail gets SANE's own words on a failure.
    int Scan(const SaneScanRequest& request, std::unique_ptr<MonoImage>& out, std::string* detail = nullptr);

private:
    bool m_bOk = false;
};
