// The registry of picture-file formats: finds the handler for a file, reads it with the
// progress protocol, and builds the Open dialog's filter entries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Binarize.h"
#include "MonoBitmap.h"
#include "MonoImage.h"
#include "Progress.h"

// Capability bits of a handler.
constexpr uint32_t kImageFormatCanRead = 1;

// What a handler keeps between open, read and close.
class ImageReaderState {
public:
    virtual ~ImageReaderState() = default;
    // After a read that had to make a grey or colour picture black and white: the grey
    // picture it was made from (null otherwise).
    virtual std::unique_ptr<GreySource> TakeGreySource() { return nullptr; }
};

struct ImageFormatHandler {
    int descriptionId = 0;   // string id of the filter text, e.g. "TIFF Files (*.tif)"
    std::string extensions;  // as given: "bmp,dib"
    std::vector<std::string> extensionList;  // split at every ',' or '.'
    std::string patterns;    // "*.bmp; *.dib"
    uint32_t flags = 0;

    // Each answers 0 or a failure code.
    std::function<int(const std::string& path, std::unique_ptr<ImageReaderState>& state)> open;
    std::function<int(ImageReaderState& state, const ProgressFn& progress, MonoBitmap& out)> read;
    std::function<int(std::unique_ptr<ImageReaderState>& state)> close;

    // The filter text in the current language.
    std::string Description() const;
};

// Shows the message for a failure code (the user interface's part).
using ImageErrorReporter = std::function<void(int code)>;

class ImageFormatRegistry {
public:
    // Registers the built-in handlers, TIFF first.
    ImageFormatRegistry();

    // Adds a handler after the others; derives its extension list and patterns.
    void Register(ImageFormatHandler handler);
    const std::vector<ImageFormatHandler>& Handlers() const { return m_handlers; }

    // The first handler whose flags share a bit with mask and whose extensions hold the
    // path's extension (after the last '.', any case); null when there is none.
    const ImageFormatHandler* FindHandler(const std::string& path, uint32_t mask) const;

    // Reads path into image: the handler for its extension first, then every other
    // reading handler while the answer is "not this format" (1029). Answers 0 or the
    // code of the failure; image is set only on success. With grey given, it receives
    // the grey picture of one that was made black and white (null for a 1-bit one).
    int ReadImage(const std::string& path, const ProgressFn& progress,
                  std::unique_ptr<MonoImage>& image,
                  std::unique_ptr<GreySource>* grey = nullptr) const;
    // ReadImage that hands a failure with a message to report; true on success.
    bool LoadImage(const std::string& path, std::unique_ptr<MonoImage>& image,
                   const ProgressFn& progress, const ImageErrorReporter& report) const;

    // Appends prefix, NUL, the patterns of every handler whose flags hold all of mask
    // joined by "; ", NUL; nothing when no handler qualifies.
    void AllImagesFilter(std::string& filter, const std::string& prefix, uint32_t mask) const;
    // Appends description, NUL, patterns, NUL for each such handler; answers their number.
    int PerFormatFilters(std::string& filter, uint32_t mask) const;

    // One handler's open, read and close with the progress calls around them.
    static int ReadWith(const ImageFormatHandler& handler, const std::string& path,
                        const ProgressFn& progress, std::unique_ptr<MonoImage>& image,
                        std::unique_ptr<GreySource>* grey = nullptr);

private:
    void RegisterBuiltIns();

    std::vector<ImageFormatHandler> m_handlers;
    bool m_builtInsRegistered = false;
};
