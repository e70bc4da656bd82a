#include "SaneScanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <cstring>
#include <new>
#include <vector>

#include "Error.h"
#include "SaneLibrary.h"

namespace {

// Called only within a session that loaded the library.
const SaneLibrary& Sane() { return *LoadSaneLibrary(); }

// The device handle, closed however the scan ends.
struct Device {
    SANE_Handle handle = nullptr;
    ~Device() {
        if (handle) Sane().close(handle);
    }
};

int FindOption(SANE_Handle h, const char* name) {
    SANE_Int count = 0;
    if (Sane().control_option(h, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return -1;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = Sane().get_option_descriptor(h, i);
        if (d && d->name && std::strcmp(d->name, name) == 0) return i;
    }
    return -1;
}

// Lineart when the device has it, else grey; nothing when it has neither.
void ChooseMode(SANE_Handle h) {
    int option = FindOption(h, SANE_NAME_SCAN_MODE);
    if (option < 0) return;
    const SANE_Option_Descriptor* d = Sane().get_option_descriptor(h, option);
    if (!d || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST || !SANE_OPTION_IS_SETTABLE(d->cap))
        return;
    for (const char* wanted : {SANE_VALUE_SCAN_MODE_LINEART, SANE_VALUE_SCAN_MODE_GRAY}) {
        for (const SANE_String_Const* s = d->constraint.string_list; s && *s; ++s) {
            if (std::strcmp(*s, wanted) != 0) continue;
            std::vector<char> value(size_t(std::max<SANE_Int>(d->size, SANE_Int(std::strlen(wanted) + 1))), 0);
            std::memcpy(value.data(), wanted, std::strlen(wanted));
            Sane().control_option(h, option, SANE_ACTION_SET_VALUE, value.data(), nullptr);
            return;
        }
    }
}

// The resolution, when the device's constraint allows it.
void ChooseResolution(SANE_Handle h, int dpi) {
    int option = FindOption(h, SANE_NAME_SCAN_RESOLUTION);
    if (option < 0) return;
    const SANE_Option_Descriptor* d = Sane().get_option_descriptor(h, option);
    if (!d || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size < SANE_Int(sizeof(SANE_Word))) return;
    SANE_Word value = d->type == SANE_TYPE_FIXED ? SANE_FIX(dpi) : dpi;
    bool allowed = true;
    if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range)
        allowed = value >= d->constraint.range->min && value <= d->constraint.range->max;
    else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        allowed = false;
        for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i) allowed |= d->constraint.word_list[i] == value;
    }
    if (allowed) Sane().control_option(h, option, SANE_ACTION_SET_VALUE, &value, nullptr);
}

// Turns the frame's bytes into the picture: 1 = paper.
bool Convert(const SANE_Parameters& p, const std::vector<uint8_t>& data, int32_t lines, MonoImage& out) {
    int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    if ((p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB) || (p.depth != 1 && p.depth != 8 && p.depth != 16) ||
        (p.depth == 1 && channels != 1))
        return false;
    out.Create(p.pixels_per_line, lines);
    for (int32_t y = 0; y < lines; ++y) {
        const uint8_t* row = data.data() + size_t(y) * size_t(p.bytes_per_line);
        uint8_t* target = out.Row(y);
        std::memset(target, 0, size_t(out.stride));
        for (int32_t x = 0; x < p.pixels_per_line; ++x) {
            bool paper;
            if (p.depth == 1) {
                paper = !(row[x >> 3] & (0x80 >> (x & 7)));  // SANE's lineart: 1 is black
            } else {
                unsigned sum = 0;
                for (int c = 0; c < channels; ++c) {
                    size_t at = (size_t(x) * channels + c) * (p.depth / 8);
                    sum += p.depth == 8 ? row[at] : unsigned(row[at]) << 8 | row[at + 1];
                }
                unsigned full = p.depth == 8 ? 255u : 65535u;
                paper = sum * 2 > full * unsigned(channels);
            }
            if (paper) target[x >> 3] = uint8_t(target[x >> 3] | (0x80 >> (x & 7)));
        }
    }
    return true;
}

}  // namespace

SaneSession::SaneSession() {
    SANE_Int version = 0;
    const SaneLibrary* sane = LoadSaneLibrary();
    m_bOk = sane && sane->init(&version, nullptr) == SANE_STATUS_GOOD;
}

SaneSession::~SaneSession() {
    if (m_bOk) Sane().exit();
}

std::vector<SaneDevice> SaneSession::Devices() {
    std::vector<SaneDevice> devices;
    const SANE_Device** list = nullptr;
    if (!m_bOk || Sane().get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return devices;
    for (const SANE_Device** d = list; *d; ++d)
        devices.push_back({(*d)->name ? (*d)->name : "", (*d)->vendor ? (*d)->vendor : "",
                           (*d)->model ? (*d)->model : "", (*d)->type ? (*d)->type : ""});
    return devices;
}

int SaneSession::Scan(const SaneScanRequest& request, std::unique_ptr<MonoImage>& out, std::string* detail) {
    out.reset();
    if (!m_bOk) return SaneError::kNoDevice;
    std::string name = request.device;
    if (name.empty()) {
        std::vector<SaneDevice> devices = Devices();
        if (devices.empty()) return SaneError::kNoDevice;
        name = devices.front().name;
    }
    Device device;
    SANE_Status status = Sane().open(name.c_str(), &device.handle);
    if (status != SANE_STATUS_GOOD) {
        device.handle = nullptr;
        if (detail) *detail = Sane().strstatus(status);
        return SaneError::kOpenFailed;
    }
    ChooseMode(device.handle);
    ChooseResolution(device.handle, request.dpi);
    SANE_Parameters p{};
    status = Sane().start(device.handle);
    if (status == SANE_STATUS_GOOD) status = Sane().get_parameters(device.handle, &p);
    if (status != SANE_STATUS_GOOD) {
        if (detail) *detail = Sane().strstatus(status);
        return SaneError::kScanFailed;
    }
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0 || !p.last_frame) {
        Sane().cancel(device.handle);
        return SaneError::kFormat;
    }
    // The frame, whose line count may be unknown (-1) until it ends.
    std::vector<uint8_t> data;
    std::vector<uint8_t> chunk(1 << 16);
    const int64_t expected = p.lines > 0 ? int64_t(p.lines) * p.bytes_per_line : 0;
    int lastPercent = -1;
    for (;;) {
        SANE_Int got = 0;
        status = Sane().read(device.handle, chunk.data(), SANE_Int(chunk.size()), &got);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) {
            Sane().cancel(device.handle);
            if (detail) *detail = Sane().strstatus(status);
            return status == SANE_STATUS_CANCELLED ? SaneError::kCancelled : SaneError::kScanFailed;
        }
        try {
            data.insert(data.end(), chunk.begin(), chunk.begin() + got);
        } catch (const std::bad_alloc&) {
            Sane().cancel(device.handle);
            return SaneError::kNoMemory;
        }
        int percent = expected > 0 ? int(std::min<int64_t>(100, int64_t(data.size()) * 100 / expected)) : 0;
        if (percent != lastPercent || expected == 0) {
            lastPercent = percent;
            if (ReportProgress(request.progress, ProgressCode::kPosition, percent) != 0) {
                Sane().cancel(device.handle);
                return SaneError::kCancelled;
            }
        }
    }
    Sane().cancel(device.handle);  // ends the scan; the device may then be closed
    int32_t lines = int32_t(data.size() / size_t(p.bytes_per_line));
    if (lines <= 0) return SaneError::kScanFailed;
    auto image = std::make_unique<MonoImage>();
    try {
        if (!Convert(p, data, lines, *image)) return SaneError::kFormat;
    } catch (const CodeError&) {
        return SaneError::kNoMemory;
    }
    out = std::move(image);
    return SaneError::kOk;
}
