#include "PenmarkDocument.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "EpsImport.h"
#include "PrepareOutline.h"
#include "Error.h"
#include "Hints.h"
#include "Placement.h"
#include "StringIds.h"
#include "Strings.h"
#include "ImageErrors.h"
#include "PhotoReaders.h"
#include "SymbolFont.h"
#include "TTError.h"
#include "Tracer.h"
#include "Utf8.h"

namespace {

// Filter descriptions of the file dialogs.
constexpr int kStrImageFiles = 62001;
constexpr int kStrMakeBlackAndWhite = 62155;
constexpr int kStrFontFilter = 62002;
constexpr int kStrEpsFilter = 62003;
constexpr int kStrAllFiles = 62004;

// The font files a dialog offers. A new font is always one font, never a collection,
// and its own extension comes first so that a name typed without one keeps its kind.
std::string FontPatterns(bool open, const std::string& name) {
    if (open) return "*.ttf; *.otf; *.ttc";
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.ends_with(".otf") ? "*.otf; *.ttf" : "*.ttf; *.otf";
}

int32_t ClampLR(int32_t v) { return std::clamp(v, GlyphLimits::kSpaceMin, GlyphLimits::kSpaceMax); }

// Directory key of the settings section "Directories" for a kind of file.
const char* DirectoryKey(int kind) {
    switch (kind) {
        case kFileFonts: return "Fonts";
        case kFileOutlines: return "EPS";
        default: return "Images";
    }
}

}  // namespace

CPenmarkDocument::CPenmarkDocument() : m_pViewState(std::make_unique<ImageViewState>()) {
    m_bAutoDelete = false;  // closing a view never deletes the document
    ResetGlyphParameters(false);
}

CPenmarkDocument::~CPenmarkDocument() {
    m_pImage.reset();
    m_pSelectionImage.reset();
    m_pViewState.reset();
    m_pGlyph.reset();
    m_pTracedOutline.reset();
}

void CPenmarkDocument::SetFontInfo(const FontInfo& info) { m_fontInfo = info; }

bool CPenmarkDocument::SupportsCharset(int32_t charset) const {
    const auto& cs = m_fontInfo.charsets;
    return std::find(cs.begin(), cs.end(), charset) != cs.end();
}

void CPenmarkDocument::DiscardImage() {
    m_pImage.reset();
    m_pSelectionImage.reset();
    m_pGreySource.reset();
    m_imageEdits.clear();
    ++m_nPictureSerial;
    m_rcSelection = PixelRect{};
    m_rcInk = PixelRect{};
}

void CPenmarkDocument::SetImage(MonoImage* image) {
    DiscardImage();
    m_pImage.reset(image);
}

void CPenmarkDocument::SetImageRegistry(const ImageFormatRegistry* registry) {
    m_pRegistry = registry;
    FileFilter all;
    std::vector<FileFilter> perFormat;
    if (registry) {
        for (const ImageFormatHandler& h : registry->Handlers()) {
            if (!(h.flags & kImageFormatCanRead)) continue;
            if (!all.patterns.empty()) all.patterns += "; ";
            all.patterns += h.patterns;
            perFormat.push_back({h.Description(), h.patterns});
        }
    }
    SetImageFilters(all, perFormat);
}

bool CPenmarkDocument::LoadImageFile(const std::string& path) {
    DiscardImage();
    m_nLastError = 0;
    if (!m_pRegistry) return false;
    std::unique_ptr<MonoImage> image;
    auto report = [this](int code) {
        m_nLastError = code;
        if (m_services.messages)
            m_services.messages->Show(ImageErrorMessage(code),
                                      MessageStyle::kOk | MessageStyle::kIconStop);
    };
    int code = m_pRegistry->ReadImage(path, m_services.progress, image, &m_pGreySource);
    bool asked = false;
    if (code == ImageError::kNotBlackWhite && m_bOfferBlackAndWhite && m_services.messages) {
        asked = true;
        const std::string question = std::string(GetString(ImageText::kNotBlackWhite)) + "\n" + GetString(kStrMakeBlackAndWhite);
        constexpr int kYes = 6;
        if (m_services.messages->Show(question, MessageStyle::kYesNo | MessageStyle::kIconQuestion |
                                                    MessageStyle::kDefaultSecond) == kYes) {
            const bool before = GreyTiffBmp();
            SetGreyTiffBmp(true);
            code = m_pRegistry->ReadImage(path, m_services.progress, image, &m_pGreySource);
            SetGreyTiffBmp(before);
            asked = false;  // a failure of the second read has its own message
        }
    }
    if (code != 0) {
        m_nLastError = code;
        if (ImageErrorStringId(code) != 0 && !asked) report(code);
        return false;
    }
    m_pImage = std::move(image);
    return true;
}

void CPenmarkDocument::NoteImageEdit(int command) {
    if (m_pGreySource) m_imageEdits.push_back(ImageEdit{command, 0, {}});
}

PixelRect CPenmarkDocument::EraseStroke(const std::vector<PixelPoint>& points, int32_t radius) {
    if (!m_pImage || m_pImage->IsEmpty() || points.empty()) return {};
    PixelRect painted = ::EraseStroke(*m_pImage, points, radius);
    if (!m_pGreySource || painted.IsEmpty()) return painted;  // a stroke beside the picture
    ImageEdit* last = m_imageEdits.empty() ? nullptr : &m_imageEdits.back();
    if (last && last->command == ImageEdit::kErase && last->radius == radius && last->points.back() == points.front())
        last->points.insert(last->points.end(), points.begin() + 1, points.end());
    else
        m_imageEdits.push_back(ImageEdit{ImageEdit::kErase, radius, points});
    return painted;
}

ImageEditState CPenmarkDocument::SaveEditState() const {
    ImageEditState state;
    if (m_pImage) m_pImage->CopyTo(state.image);
    state.edits = m_imageEdits;
    if (m_pGreySource) {
        state.cutFromGrey = true;
        state.choice = m_pGreySource->choice;
        state.result = m_pGreySource->result;
    }
    return state;
}

bool CPenmarkDocument::RestoreEditState(const ImageEditState& state) {
    auto image = std::make_unique<MonoImage>();
    std::vector<ImageEdit> edits;
    try {
        if (!state.image.IsEmpty()) state.image.CopyTo(*image);
        edits = state.edits;
    } catch (const std::exception&) {  // the code error 2005 or a failed allocation
        if (m_services.messages)
            m_services.messages->Show(GetString(StringId::kNoMemory), MessageStyle::kOk | MessageStyle::kIconStop);
        return false;
    }
    const bool reshaped = !m_pImage || m_pImage->width != image->width || m_pImage->height != image->height;
    m_pImage = image->IsEmpty() ? nullptr : std::move(image);
    m_imageEdits = std::move(edits);
    if (m_pGreySource && state.cutFromGrey) {
        m_pGreySource->choice = state.choice;
        m_pGreySource->result = state.result;
    }
    if (reshaped) {
        m_rcSelection = PixelRect{};
        m_rcInk = PixelRect{};
    }
    UpdateAllViews(nullptr);
    return true;
}

bool CPenmarkDocument::Rebinarize(const ThresholdChoice& choice) {
    if (!m_pGreySource) return false;
    try {
        auto image = std::make_unique<MonoImage>();
        BinarizeResult result = Binarize(m_pGreySource->grey, choice, *image);
        for (const ImageEdit& edit : m_imageEdits) ApplyImageEdit(*image, edit);
        m_pImage = std::move(image);
        m_pGreySource->choice = choice;
        m_pGreySource->result = result;
    } catch (const std::exception&) {  // the code error 2005 or a failed allocation
        if (m_services.messages)
            m_services.messages->Show(GetString(StringId::kNoMemory), MessageStyle::kOk | MessageStyle::kIconStop);
        return false;
    }
    UpdateAllViews(nullptr);
    return true;
}

namespace {

// The tracer asks after every contour; pumping the window is worth it only once a trace
// has run for a while, so a small picture never pays for it.
ProgressFn ThrottledProgress(const ProgressFn& progress) {
    if (!progress) return {};
    using Clock = std::chrono::steady_clock;
    constexpr auto kInterval = std::chrono::milliseconds(50);
    return [progress, last = Clock::now(), kInterval](int32_t code, intptr_t param) mutable -> int32_t {
        const auto now = Clock::now();
        if (now - last < kInterval) return 0;
        last = now;
        return progress(code, param);
    };
}

}  // namespace

int TraceErrorStringId(int code) {
    switch (code) {
        case ErrorCode::kCancelled: return 0;
        case ErrorCode::kNoMemory: return StringId::kNoMemory;
        case ErrorCode::kTracerRange: return StringId::kRegionTooLarge;
        default: return StringId::kEmptyRegion;
    }
}

bool CPenmarkDocument::TraceSelection() {
    std::unique_ptr<MonoImage> selection;
    TraceParams params;
    int code = 0;
    try {
        if (!m_rcInk.IsEmpty() && m_pImage) selection = m_pImage->Crop(m_rcInk);
        params.step = 1;
        // The faithful settings follow the ink more closely than the classic ones in
        // fewer segments; placement scales the outline, so its finer units do not matter.
        if (selection) FaithfulTracing(params, selection->width, selection->height);
        params.progress = ThrottledProgress(m_services.progress);
        params.image = selection.get();
        code = trace(&params);
    } catch (const CodeError& e) {
        code = e.code();  // the cut ran out of memory
    }
    if (code == 0 && !params.result) code = kNothingTraced;
    if (code == 0 && !PrepareOutline(*params.result)) code = ErrorCode::kTracerRange;
    m_nLastError = code;
    if (code != 0) return false;
    m_pSelectionImage = std::move(selection);
    m_pTracedOutline = std::move(params.result);
    ResetGlyphParameters(true);
    return true;
}

bool CPenmarkDocument::PasteFromClipboard() {
    DiscardImage();
    if (!m_services.clipboard) return false;
    std::unique_ptr<MonoImage> image = m_services.clipboard->GetBitmap();
    if (!image) return false;
    m_pImage = std::move(image);
    return true;
}

bool CPenmarkDocument::LoadOutlineFile(const std::string& path) {
    ResetGlyphParameters(true);
    m_pTracedOutline.reset();
    m_nLastError = 0;
    std::unique_ptr<Outline> outline = ReadEpsOutline(path, &m_nLastError);
    if (!outline) return false;
    if (!PrepareOutline(*outline)) {
        m_nLastError = EpsError::kInvalidData;
        return false;
    }
    m_pTracedOutline = std::move(outline);
    return true;
}

void CPenmarkDocument::ClearSelection() {
    m_rcSelection = PixelRect{};
    m_rcInk = PixelRect{};
    UpdateAllViews(nullptr);
}

void CPenmarkDocument::SelectInkIfEmpty() {
    if (!m_rcSelection.IsEmpty() || !m_pImage) return;
    PixelRect ink;
    if (!FindInk(ink, nullptr)) return;
    m_rcSelection = m_rcInk = ink;
}

void CPenmarkDocument::ComputeInkRect() {
    PixelRect ink;
    if (!m_rcSelection.IsEmpty() && m_pImage && !FindInk(ink, &m_rcSelection)) return;
    m_rcInk = ink;
}

bool CPenmarkDocument::FindInk(PixelRect& ink, const PixelRect* within) {
    try {
        m_pImage->FindInkBounds(ink, within, 0);
        return true;
    } catch (const CodeError& e) {
        // Out of memory: the rectangles stay as they were.
        m_nLastError = e.code();
        if (m_services.messages)
            m_services.messages->Show(GetString(StringId::kNoMemory), MessageStyle::kOk | MessageStyle::kIconStop);
        return false;
    }
}

void CPenmarkDocument::RebuildGlyph() {
    if (!m_pTracedOutline) return;
    if (!m_pGlyph) m_pGlyph = std::make_unique<GlyphOutline>(1);
    PlacementParams params{m_nSize, m_nVertPos, m_nLeftSpace, m_nRightSpace, m_nUnitsPerEm};
    PlacementResult placed = PlaceGlyph(*m_pTracedOutline, params, *m_pGlyph);
    m_bUnplaceable = !placed.placed;
    m_bOutOfRange = placed.overflow;
    m_nGlyphWidth = placed.width;
    m_nGlyphHeight = placed.height;
    CGlyphUpdateHint hint;
    UpdateAllViews(nullptr, 0, &hint);
}

void CPenmarkDocument::ResetGlyphParameters(bool rebuild) {
    m_nLeftSpace = m_nRightSpace = 10;
    m_nUserLeftSpace = m_nUserRightSpace = 10;
    m_nSize = 50;
    m_nVertPos = 0;
    if (rebuild) RebuildGlyph();
}

void CPenmarkDocument::SetSize(int32_t percent) {
    percent = std::clamp(percent, GlyphLimits::kSizeMin, GlyphLimits::kSizeMax);
    if (percent == m_nSize) return;
    m_nSize = percent;
    RebuildGlyph();
}

void CPenmarkDocument::SetSpacing(int32_t left, int32_t right, bool remember) {
    left = ClampLR(left);
    right = ClampLR(right);
    if (left == m_nLeftSpace && right == m_nRightSpace) return;
    m_nLeftSpace = left;
    m_nRightSpace = right;
    if (remember) {
        m_nUserLeftSpace = left;
        m_nUserRightSpace = right;
    }
    RebuildGlyph();
}

void CPenmarkDocument::SetWidth(int32_t total) {
    int64_t l = std::max(m_nUserLeftSpace, 0), r = std::max(m_nUserRightSpace, 0);
    if (l + r == 0) return;
    SetSpacing(int32_t(total * l * 2 / (l + r)), int32_t(total * r * 2 / (l + r)), false);
}

// The width the spaces have now. SetWidth leaves the user's own spaces as they were (they
// keep the proportion), so measuring those would put the slider back where it started.
int32_t CPenmarkDocument::GetWidth() const {
    return (std::max(m_nLeftSpace, 0) + std::max(m_nRightSpace, 0)) / 2;
}

void CPenmarkDocument::SendGlyphMoved() {
    CGlyphMoveUpdateHint hint;
    UpdateAllViews(nullptr, 0, &hint);
}

void CPenmarkDocument::SetVerticalPosition(int32_t percent) {
    percent = std::clamp(percent, GlyphLimits::kVertMin, GlyphLimits::kVertMax);
    if (percent == m_nVertPos) return;
    int32_t dy = PercentOf(percent, m_nGlyphHeight) - PercentOf(m_nVertPos, m_nGlyphHeight);
    // A move past the coordinate range is not made; the position stays.
    if (m_pGlyph && !MoveGlyphPoints(*m_pGlyph, 0, dy)) return;
    m_nVertPos = percent;
    if (m_pGlyph) SendGlyphMoved();
}

void CPenmarkDocument::ClampMove(int32_t& dx, int32_t& dy) const {
    if (dx == 0 && dy == 0) return;
    int32_t a = std::abs(ClampLR(m_nLeftSpace + dx) - m_nLeftSpace);
    int32_t b = std::abs(m_nRightSpace - ClampLR(m_nRightSpace - dx));
    int32_t m = std::min(a, b);
    dx = dx > 0 ? m : dx < 0 ? -m : 0;
    dy = std::clamp(m_nVertPos + dy, GlyphLimits::kVertMin, GlyphLimits::kVertMax) - m_nVertPos;
}

void CPenmarkDocument::MoveGlyph(int32_t dx, int32_t dy) {
    ClampMove(dx, dy);
    if (dx == 0 && dy == 0) return;
    if (m_pGlyph && !MoveGlyphPoints(*m_pGlyph, m_nGlyphWidth * dx / 100, m_nGlyphHeight * dy / 100)) return;
    m_nLeftSpace += dx;
    m_nUserLeftSpace = m_nLeftSpace;
    m_nRightSpace -= dx;
    m_nUserRightSpace = m_nRightSpace;
    m_nVertPos += dy;
    if (m_pGlyph) SendGlyphMoved();
}

bool CPenmarkDocument::SaveFont(const std::string& dest, const std::string& suffix) {
    if (m_bUnplaceable || !m_pGlyph) {
        m_nLastError = kGlyphUnplaceable;
        return false;
    }
    // Refused before anything is written: the font would get wrapped coordinates.
    if (m_bOutOfRange) {
        m_nLastError = SymbolFontError::kTooLarge;
        return false;
    }
    const ProgressFn& progress = m_services.progress;
    m_saveNotes = SymbolFontNotes{};
    ReportProgress(progress, ProgressCode::kWaitOn, 0);
    int32_t block[4] = {1, 1, 0, -1};
    // Esc may come as soon as the bar shows: that answer stops the save before it starts.
    if (ReportProgress(progress, ProgressCode::kShowProgress, reinterpret_cast<intptr_t>(block)) != 0) {
        m_nLastError = SymbolFontError::kCancelled;
    } else {
        m_nLastError = buildSymbolFont(m_fontInfo.szPath.c_str(), dest.c_str(), suffix.c_str(), m_wCharCode,
                                       m_pGlyph.get(), progress, m_fontInfo.nFaceIndex, &m_saveNotes);
    }
    ReportProgress(progress, ProgressCode::kHideProgress, 0);
    ReportProgress(progress, ProgressCode::kWaitOff, 0);
    return m_nLastError == 0;
}

int SaveFontErrorStringId(int code) {
    switch (code) {
        case 0: return 0;
        case TTError::kCollection: return StringId::kFontCollection;
        case TTError::kNoSuchFace: return StringId::kNoSuchFace;
        case TTError::kNoGlyphData: return StringId::kNoTrueTypeOutlines;
        case TTError::kCff2: return StringId::kCff2Outlines;
        case TTError::kGlyphCountTable: return StringId::kGlyphCountTable;
        case SymbolFontError::kNoCharacterMap: return StringId::kNoCharacterMap;
        case SymbolFontError::kTooLarge: return StringId::kSymbolTooLarge;
        case SymbolFontError::kBadEm: return StringId::kUnitsPerEmRange;
        case SymbolFontError::kTooComplex: return StringId::kSymbolTooComplex;
        case SymbolFontError::kFontFull: return StringId::kFontFull;
        case SymbolFontError::kCancelled: return 0;
        case kGlyphUnplaceable: return StringId::kGlyphNoHeight;
        default:
            return code >= TTError::kNoMemory && code <= TTError::kCff2 ? StringId::kFontUnreadable
                                                                                : StringId::kFontNotWritten;
    }
}

std::string SaveFontErrorText(int code, const SymbolFontNotes& notes, const std::string& dest) {
    if (int error = notes.outputError) {
        if (int id = FontDestinationErrorStringId(dest)) return FormatString(id, dest.c_str());
        switch (error) {
            case EACCES: case EPERM: case EROFS:
                return FormatString(StringId::kSaveNotPermitted, dest.c_str());
            case ENOSPC: case EDQUOT: case EFBIG:
                return FormatString(StringId::kSaveNoRoom, dest.c_str());
            default:
                return FormatString(StringId::kSaveFailed, dest.c_str(), error);
        }
    }
    int id = SaveFontErrorStringId(code);
    return id ? FormatString(id, code) : std::string();
}

int FontDestinationErrorStringId(const std::string& dest) {
    struct stat st {};
    if (::stat(dest.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return StringId::kSaveIsFolder;
    std::filesystem::path folder = std::filesystem::path(dest).parent_path();
    if (folder.empty()) folder = ".";
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return StringId::kSaveFolderMissing;
    return 0;
}

std::string ComposeNewName(const std::string& fullName, const std::string& faceName,
                           const std::string& suffix) {
    size_t at = faceName.empty() ? std::string::npos : fullName.find(faceName);
    if (at == std::string::npos) return fullName + suffix;
    return faceName + suffix + fullName.substr(at + faceName.size());
}

bool IsSuffixAcceptable(const std::string& fullName, const std::string& faceName, const std::string& suffix) {
    return Utf8ToUtf16(ComposeNewName(fullName, faceName, suffix)).size() <= kMaxNewNameLength;
}

bool CPenmarkDocument::IsSuffixAcceptable(const std::string& suffix) const {
    return ::IsSuffixAcceptable(m_fontInfo.szFullName, m_fontInfo.szFaceName, suffix);
}

bool CPenmarkDocument::FileExists(const std::string& path) const { return ::FileExists(path); }

void CPenmarkDocument::SetImageFilters(FileFilter combined, std::vector<FileFilter> perFormat) {
    m_imageFilterAll = std::move(combined);
    m_imageFilters = std::move(perFormat);
}

std::string ApplyDefaultExtension(const std::string& name, const std::string& pattern) {
    size_t dot = name.rfind('.');
    bool hasExtension = dot != std::string::npos && name.size() - dot <= 4 &&
                        name.find('/', dot) == std::string::npos;
    if (hasExtension) return name;
    size_t from = pattern.find('.');
    if (from == std::string::npos) return name;
    size_t end = pattern.find_first_of("; ?*", from + 1);
    std::string ext = pattern.substr(from + 1, end == std::string::npos ? std::string::npos : end - from - 1);
    return ext.empty() ? name : name + "." + ext;
}

bool CPenmarkDocument::PromptFileName(std::string& name, int titleId, uint32_t flags, bool open,
                                      int kind) {
    if (!m_services.fileDialog) return false;
    FileDialogRequest req;
    req.open = open;
    req.title = GetString(titleId);
    req.flags = flags;
    switch (kind) {
        case kFileImages:
            if (!m_imageFilterAll.patterns.empty())
                req.filters.push_back({GetString(kStrImageFiles), m_imageFilterAll.patterns});
            req.filters.insert(req.filters.end(), m_imageFilters.begin(), m_imageFilters.end());
            break;
        case kFileFonts:
            req.filters.push_back({GetString(kStrFontFilter), FontPatterns(open, name)});
            break;
        default:
            req.filters.push_back({GetString(kStrEpsFilter), "*.eps; *.ai"});
            break;
    }
    req.filters.push_back({GetString(kStrAllFiles), "*.*"});
    const char* key = DirectoryKey(kind);
    if (m_services.settings) req.initialDir = m_services.settings->GetString("Directories", key);
    req.fileName = name;
    if (!m_services.fileDialog->Run(req)) return false;

    std::string chosen = req.fileName;
    size_t slash = chosen.rfind('/');
    if (m_services.settings && slash != std::string::npos)
        m_services.settings->SetString("Directories", key, chosen.substr(0, slash + 1));
    if (!open && req.filterIndex >= 1 && size_t(req.filterIndex) <= req.filters.size())
        chosen = ApplyDefaultExtension(chosen, req.filters[size_t(req.filterIndex - 1)].patterns);
    name = chosen;
    return true;
}
