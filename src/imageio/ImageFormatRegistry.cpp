#include "ImageFormatRegistry.h"

#include <cctype>
#include <new>

#include "BmpReader.h"
#include "Error.h"
#include "ImageErrors.h"
#include "ImageFile.h"
#include "PhotoReaders.h"
#include "Strings.h"
#include "TiffReader.h"

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

// The state of both built-in readers: the open file.
class FileReaderState : public ImageReaderState {
public:
    ImageFile file;
    std::unique_ptr<GreySource> grey;
    std::unique_ptr<GreySource> TakeGreySource() override { return std::move(grey); }
};

using ReadFn = void (*)(ImageFile&, const ProgressFn&, MonoBitmap&, std::unique_ptr<GreySource>&);

ImageFormatHandler FileHandler(int descriptionId, const char* extensions, ReadFn readFn) {
    ImageFormatHandler h;
    h.descriptionId = descriptionId;
    h.extensions = extensions;
    h.flags = kImageFormatCanRead;
    h.open = [](const std::string& path, std::unique_ptr<ImageReaderState>& state) {
        return GuardedRead([&] {
            auto s = std::make_unique<FileReaderState>();
            int code = s->file.Open(path);
            if (code != ImageError::kOk) RaiseError(code);
            state = std::move(s);
        });
    };
    h.read = [readFn](ImageReaderState& state, const ProgressFn& progress, MonoBitmap& out) {
        auto& fileState = static_cast<FileReaderState&>(state);
        int code = GuardedRead([&] { readFn(fileState.file, progress, out, fileState.grey); });
        if (code != ImageError::kOk) {  // nothing of a partly read picture is kept
            out.Free();
            fileState.grey.reset();
        }
        return code;
    };
    h.close = [](std::unique_ptr<ImageReaderState>& state) {
        state.reset();
        return ImageError::kOk;
    };
    return h;
}

}  // namespace

std::string ImageFormatHandler::Description() const { return GetString(descriptionId); }

ImageFormatRegistry::ImageFormatRegistry() {
    m_handlers.reserve(10);
    RegisterBuiltIns();
}

void ImageFormatRegistry::RegisterBuiltIns() {
    if (m_builtInsRegistered) return;
    m_builtInsRegistered = true;
    Register(FileHandler(ImageText::kTiffFilter, "tif", ReadTiffPicture));
    Register(FileHandler(ImageText::kBmpFilter, "bmp,dib", ReadBmpPicture));
    // Photos and colour scans, made black and white on the way in.
    Register(FileHandler(ImageText::kPngFilter, "png", ReadPng));
    Register(FileHandler(ImageText::kJpegFilter, "jpg,jpeg,jpe", ReadJpeg));
}

void ImageFormatRegistry::Register(ImageFormatHandler handler) {
    handler.extensionList.clear();
    handler.patterns.clear();
    std::string current;
    auto flush = [&] {
        if (current.empty()) return;
        if (!handler.patterns.empty()) handler.patterns += "; ";
        handler.patterns += "*." + current;
        handler.extensionList.push_back(current);
        current.clear();
    };
    for (char c : handler.extensions) {
        if (c == ',' || c == '.')
            flush();
        else
            current += c;
    }
    flush();
    if (m_handlers.size() == m_handlers.capacity()) m_handlers.reserve(m_handlers.size() + 10);
    m_handlers.push_back(std::move(handler));
}

const ImageFormatHandler* ImageFormatRegistry::FindHandler(const std::string& path,
                                                           uint32_t mask) const {
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return nullptr;
    std::string extension = path.substr(dot + 1);
    for (const ImageFormatHandler& h : m_handlers) {
        if ((h.flags & mask) == 0) continue;
        for (const std::string& e : h.extensionList)
            if (EqualNoCase(e, extension)) return &h;
    }
    return nullptr;
}

int ImageFormatRegistry::ReadWith(const ImageFormatHandler& handler, const std::string& path,
                                  const ProgressFn& progress, std::unique_ptr<MonoImage>& image,
                                  std::unique_ptr<GreySource>* grey) {
    ReportProgress(progress, ProgressCode::kWaitOn, 0);
    std::unique_ptr<ImageReaderState> state;
    int code = handler.open(path, state);
    if (code == ImageError::kOk) {
        // Esc may come as soon as the bar shows: that answer stops the read too.
        code = ReportProgress(progress, ProgressCode::kShowProgress, 0);
        if (code == ImageError::kOk) code = GuardedRead([&] {
            MonoBitmap bitmap;
            int readCode = handler.read(*state, progress, bitmap);
            if (readCode != ImageError::kOk) RaiseError(readCode);
            auto result = std::make_unique<MonoImage>();
            bitmap.MoveTo(*result);
            image = std::move(result);
            if (grey) *grey = state->TakeGreySource();
        });
        ReportProgress(progress, ProgressCode::kHideProgress, 0);
        int closeCode = handler.close(state);
        if (code == ImageError::kOk) code = closeCode;
        if (code != ImageError::kOk) {
            image.reset();
            if (grey) grey->reset();
        }
    }
    ReportProgress(progress, ProgressCode::kWaitOff, 0);
    return code;
}

int ImageFormatRegistry::ReadImage(const std::string& path, const ProgressFn& progress,
                                   std::unique_ptr<MonoImage>& image,
                                   std::unique_ptr<GreySource>* grey) const {
    image.reset();
    if (grey) grey->reset();
    const ImageFormatHandler* first = FindHandler(path, kImageFormatCanRead);
    if (first) {
        int code = ReadWith(*first, path, progress, image, grey);
        if (code != ImageError::kUnknownFormat) return code;
    }
    for (const ImageFormatHandler& h : m_handlers) {
        if (&h == first || (h.flags & kImageFormatCanRead) == 0) continue;
        int code = ReadWith(h, path, progress, image, grey);
        if (code != ImageError::kUnknownFormat) return code;
    }
    return ImageError::kUnknownFormat;
}

bool ImageFormatRegistry::LoadImage(const std::string& path, std::unique_ptr<MonoImage>& image,
                                    const ProgressFn& progress,
                                    const ImageErrorReporter& report) const {
    int code = ReadImage(path, progress, image);
    if (code != ImageError::kOk && ImageErrorStringId(code) != 0 && report) report(code);
    return code == ImageError::kOk;
}

void ImageFormatRegistry::AllImagesFilter(std::string& filter, const std::string& prefix,
                                          uint32_t mask) const {
    std::string patterns;
    for (const ImageFormatHandler& h : m_handlers) {
        if ((h.flags & mask) != mask) continue;
        if (!patterns.empty()) patterns += "; ";
        patterns += h.patterns;
    }
    if (patterns.empty()) return;
    filter += prefix;
    filter += '\0';
    filter += patterns;
    filter += '\0';
}

int ImageFormatRegistry::PerFormatFilters(std::string& filter, uint32_t mask) const {
    int entries = 0;
    for (const ImageFormatHandler& h : m_handlers) {
        if ((h.flags & mask) != mask) continue;
        filter += h.Description();
        filter += '\0';
        filter += h.patterns;
        filter += '\0';
        ++entries;
    }
    return entries;
}
