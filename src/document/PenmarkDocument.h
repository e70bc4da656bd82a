// The one document of the wizard: the chosen font, the picture, the selection, the
// traced outline, the placed glyph with its parameters and the target character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Document.h"
#include "FontInfo.h"
#include "ImageFormatRegistry.h"
#include "GlyphOutline.h"
#include "ImageEdits.h"
#include "MonoImage.h"
#include "Outline.h"
#include "PlatformServices.h"
#include "SymbolFont.h"

// Display state of the image view, shared by the edit and select pages.
struct ImageViewState {
    int32_t zoom = 1;  // screen pixels per image pixel; kZoomFit fits the window
    int32_t x = 0;     // image point shown at the centre of the view
    int32_t y = 0;
    static constexpr int32_t kZoomFit = 1024;
};

// Kinds of file the open and save dialogs ask for.
enum FileKind { kFileImages = 0, kFileFonts = 1, kFileOutlines = 2 };

class CPenmarkDocument : public CDocument {
public:
    CPenmarkDocument();
    ~CPenmarkDocument() override;

    // Desktop services; any may be missing.
    void SetServices(const PlatformServices& services) { m_services = services; }
    const PlatformServices& Services() const { return m_services; }

    void SetFontInfo(const FontInfo& info);
    bool SupportsCharset(int32_t charset) const;

    // Takes the picture; the selection and the cut region are dropped.
    void SetImage(MonoImage* image);
    // The picture formats the document reads (the application owns the registry). Also
    // fills the open dialog's filter list.
    void SetImageRegistry(const ImageFormatRegistry* registry);
    // The wizard's way with a grey or colour TIFF or BMP picture: instead of the refusal
    // alone, the user is asked whether to make it black and white as a photo; No, the
    // default button, keeps the refusal. Off: the refusal only.
    void SetOfferBlackAndWhite(bool offer) { m_bOfferBlackAndWhite = offer; }
    // Reads a picture file into the image; false after the readers' message was shown.
    // The old picture, the cut region and both rectangles are gone either way.
    bool LoadImageFile(const std::string& path);

    // True when the picture was made black and white from a grey or colour one, which is
    // kept so that it can be made black and white again.
    bool CanRebinarize() const { return m_pGreySource != nullptr; }
    // How the picture was last made black and white (only with CanRebinarize).
    const GreySource* GreyPicture() const { return m_pGreySource.get(); }
    // Makes the picture black and white again from the kept grey one, then repeats the
    // edits made since it was read; the selection stays. False (with the message shown)
    // when memory runs out, the picture then as it was.
    bool Rebinarize(const ThresholdChoice& choice);
    // Records an edit-page command run on the picture, for Rebinarize to repeat.
    void NoteImageEdit(int command);
    // Paints paper along a stroke (picture pixels) with a brush of radius, and records it
    // for Rebinarize; a stroke that goes on from where the last one ended joins it. The
    // box painted; the caller repaints it.
    PixelRect EraseStroke(const std::vector<PixelPoint>& points, int32_t radius);

    // The picture's edit state, to bring back with RestoreEditState (undo and redo).
    // Raises 2005 when memory runs out.
    ImageEditState SaveEditState() const;
    // Brings back a kept state and repaints the views; a picture of other dimensions
    // drops the selection. False, with the message shown, when memory runs out (the
    // picture then as it was).
    bool RestoreEditState(const ImageEditState& state);
    // Changes whenever a new picture replaces the old one (read, pasted, scanned), never
    // for an edit: what an edit history belongs to.
    uint32_t PictureSerial() const { return m_nPictureSerial; }

    // The clipboard's picture, reduced to black and white, becomes the image; false when
    // the clipboard holds none (the old picture is gone either way).
    bool PasteFromClipboard();

    // Reads an EPS/AI drawing as the traced outline, moved to the origin; true when an
    // outline was produced. The picture stays as it was.
    bool LoadOutlineFile(const std::string& path);
    // The code of the last failed load or trace (0 after a success).
    int LastLoadError() const { return m_nLastError; }

    void ClearSelection();
    void SelectInkIfEmpty();
    void ComputeInkRect();

    // Cuts the ink rectangle out of the picture and traces it; on success the outline
    // replaces the traced one and the glyph is rebuilt with fresh parameters. On failure
    // nothing changes and LastLoadError tells why.
    bool TraceSelection();

    void RebuildGlyph();
    void ResetGlyphParameters(bool rebuild);
    void SetSize(int32_t percent);
    void SetVerticalPosition(int32_t percent);
    void SetSpacing(int32_t left, int32_t right, bool remember);
    void SetWidth(int32_t total);
    int32_t GetWidth() const;
    // Limits a drag (dx, dy in percent) so that no parameter leaves its range.
    void ClampMove(int32_t& dx, int32_t& dy) const;
    void MoveGlyph(int32_t dx, int32_t dy);

    // Writes the new font: the chosen font with the glyph at m_wCharCode and suffix on
    // its family name, to dest. True when the engine succeeded; LastLoadError then holds
    // 0, otherwise the engine's code.
    bool SaveFont(const std::string& dest, const std::string& suffix);
    // True when suffix (UTF-8) keeps the chosen font's new name within kMaxNewNameLength;
    // the save page and the command line refuse it otherwise (StringId::kSuffixTooLong).
    bool IsSuffixAcceptable(const std::string& suffix) const;
    // What the last successful save changed beyond the symbol (tables left out).
    const SymbolFontNotes& SaveNotes() const { return m_saveNotes; }

    bool FileExists(const std::string& path) const;

    // The open or save dialog for a kind of file, remembering its folder. name is the
    // proposed name in and the chosen path out; true when the user confirmed.
    bool PromptFileName(std::string& name, int titleId, uint32_t flags, bool open, int kind);

    // Image formats offered by the open dialog: the patterns of every readable format
    // (for the combined entry), then one entry per format.
    void SetImageFilters(FileFilter combined, std::vector<FileFilter> perFormat);

    // True when the last rebuild could not place the tracing (it has no height).
    bool GlyphUnplaceable() const { return m_bUnplaceable; }
    // The size or spaces put the placed glyph past 16-bit coordinates: it cannot be saved.
    bool GlyphOutOfRange() const { return m_bOutOfRange; }

    // Owned data.
    std::unique_ptr<MonoImage> m_pImage;
    std::unique_ptr<MonoImage> m_pSelectionImage;
    std::unique_ptr<ImageViewState> m_pViewState;
    PixelRect m_rcSelection;
    PixelRect m_rcInk;
    int32_t m_nGlyphBackPage = 0;
    std::unique_ptr<Outline> m_pTracedOutline;
    std::unique_ptr<GlyphOutline> m_pGlyph;
    int32_t m_nGlyphWidth = 0;
    int32_t m_nGlyphHeight = 0;
    uint16_t m_wCharCode = 0xFFFF;
    int32_t m_nSize = 50;
    int32_t m_nVertPos = 0;
    int32_t m_nLeftSpace = 10;
    int32_t m_nRightSpace = 10;
    int32_t m_nUserLeftSpace = 10;
    int32_t m_nUserRightSpace = 10;
    int32_t m_nUnitsPerEm = 2048;
    FontInfo m_fontInfo;

protected:
    // Drops the picture, the cut region and both rectangles.
    void DiscardImage();
    // The ink box of the picture (within a rectangle); false, with the message shown and
    // LastLoadError set, when memory runs out.
    bool FindInk(PixelRect& ink, const PixelRect* within);
    void SendGlyphMoved();

    PlatformServices m_services;
    // The grey picture behind m_pImage and the edits run on m_pImage since.
    std::unique_ptr<GreySource> m_pGreySource;
    std::vector<ImageEdit> m_imageEdits;
    uint32_t m_nPictureSerial = 0;
    FileFilter m_imageFilterAll;
    const ImageFormatRegistry* m_pRegistry = nullptr;
    std::vector<FileFilter> m_imageFilters;
    bool m_bOfferBlackAndWhite = false;
    bool m_bUnplaceable = false;
    bool m_bOutOfRange = false;
    int m_nLastError = 0;
    SymbolFontNotes m_saveNotes;
};

// The string id of the message for a failed trace; 0 when the user stopped it.
int TraceErrorStringId(int code);

// The string id of the message for a font build result; 0 for success.
int SaveFontErrorStringId(int code);
// The message for a failed font build to dest, in the current language: the reason the
// output could not be written when that failed, else the font's; empty when there is
// nothing to say (success, or the user stopped it).
std::string SaveFontErrorText(int code, const SymbolFontNotes& notes, const std::string& dest);
// A destination refused before anything is built (a folder, a folder that does not
// exist): the message's string id; 0 when dest may be written.
int FontDestinationErrorStringId(const std::string& dest);

// The name the new font will carry, as the save page shows it: the face name, the suffix
// and the rest of the full name after the face name; or the full name and the suffix.
std::string ComposeNewName(const std::string& fullName, const std::string& faceName,
                           const std::string& suffix);

// The longest name, in UTF-16 units, that the new font may carry with its suffix. Windows
// keeps a face's full name in 64 units with the terminator (LF_FULLFACESIZE) and cuts
// longer ones in its font lists, so two fonts that differ only past that point could
// not be told apart; the family name, a part of it, stays well within the 511 units
// the naming table's renaming allows. The PostScript name is cut to 63 characters by
// the engine itself.
constexpr size_t kMaxNewNameLength = 63;

// True when ComposeNewName of the three (all UTF-8) has at most kMaxNewNameLength UTF-16
// units.
bool IsSuffixAcceptable(const std::string& fullName, const std::string& faceName, const std::string& suffix);

// The extension rule of the save dialog: name unchanged when it has an extension,
// otherwise the first extension of the chosen filter's pattern appended.
std::string ApplyDefaultExtension(const std::string& name, const std::string& pattern);

// The trace found no picture to work on (an empty region).
constexpr int kNothingTraced = 5001;
// The glyph cannot be placed (the tracing has no height): there is nothing to save.
constexpr int kGlyphUnplaceable = 5002;

// Range limits of the placement parameters.
namespace GlyphLimits {
constexpr int32_t kSizeMin = 0, kSizeMax = 100;
constexpr int32_t kVertMin = -100, kVertMax = 100;
constexpr int32_t kSpaceMin = -100, kSpaceMax = 200;
}  // namespace GlyphLimits
