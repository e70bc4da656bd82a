// What the document and the pages need from the desktop, behind small interfaces: the
// wizard fills them with Qt-based implementations, the command line with headless ones,
// tests with fakes. Any of them may be missing (null), which callers treat as "not
// available".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Progress.h"

class MonoImage;

struct FileFilter {
    std::string description;  // e.g. "Font Files"
    std::string patterns;     // e.g. "*.ttf" or "*.eps; *.ai"
};

struct FileDialogRequest {
    bool open = true;
    std::string title;
    uint32_t flags = 0;
    std::vector<FileFilter> filters;
    int filterIndex = 1;      // 1-based; the dialog leaves the user's choice here
    std::string initialDir;
    std::string fileName;     // in: proposed name; out: the chosen path
};

class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // Shows the dialog; true when the user confirmed a file.
    virtual bool Run(FileDialogRequest& request) = 0;
};

// The application's remembered settings, by section and key.
class ISettings {
public:
    virtual ~ISettings() = default;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback = {}) = 0;
    virtual void SetString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
};

// The clipboard's picture, already reduced to black and white; null when there is none.
class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual std::unique_ptr<MonoImage> GetBitmap() = 0;
};

// Message box styles, by their classic bit values.
namespace MessageStyle {
constexpr uint32_t kOk = 0x0;
constexpr uint32_t kOkCancel = 0x1;
constexpr uint32_t kYesNoCancel = 0x3;
constexpr uint32_t kYesNo = 0x4;
constexpr uint32_t kIconStop = 0x10;
constexpr uint32_t kIconQuestion = 0x20;
constexpr uint32_t kIconExclamation = 0x30;
constexpr uint32_t kIconInformation = 0x40;
constexpr uint32_t kDefaultSecond = 0x100;  // the second button is the default
}  // namespace MessageStyle

// Shows a message to the user and returns the button chosen (1 OK, 2 Cancel, 6 Yes, 7 No).
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual int Show(const std::string& text, uint32_t style) = 0;
};

class MonoBitmap;

// A scanner connection: choosing a source, starting a scan whose pictures arrive later
// through the delivery, the events it must see, and closing everything.
class IScanner {
public:
    virtual ~IScanner() = default;
    // Takes a finished picture: -1 when the receiver keeps it.
    using Delivery = std::function<int(MonoBitmap*)>;
    virtual void SetDelivery(Delivery delivery) = 0;
    virtual void SetParentWindow(void* parent) = 0;
    virtual bool ChooseScanner() = 0;
    virtual bool StartAcquire() = 0;
    // True when the event was the scanner's.
    virtual bool ProcessEvent(void* event) = 0;
    virtual void CloseAll() = 0;
};

struct PlatformServices {
    IFileDialog* fileDialog = nullptr;
    ISettings* settings = nullptr;
    IClipboard* clipboard = nullptr;
    IMessageSink* messages = nullptr;
    // Progress of long work (reading a picture, tracing, writing the font).
    ProgressFn progress;
    IScanner* scanner = nullptr;
};

// True when path names something that exists.
bool FileExists(const std::string& path);
