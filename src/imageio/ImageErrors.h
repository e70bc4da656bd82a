// The result codes of the picture readers and the texts the user sees for them.
//
// Every reader operation answers one int32 code; 0 is success. Codes become messages
// only in the user interface, through ImageErrorMessage.
#pragma once

#include <new>
#include <string>

#include "Error.h"

namespace ImageError {
constexpr int kOk = 0;
constexpr int kInvalidData = 1024;     // damaged or undecodable data
constexpr int kBadLayout = 1025;       // directory entry of the wrong form, inconsistent layout
constexpr int kBadVersion = 1026;      // unsupported format version
constexpr int kUnknownFormat = 1029;   // not this format / no handler accepts the file
constexpr int kNotBlackWhite = 1030;   // colour or grey-scale picture
constexpr int kBadCompression = 1031;  // compression not supported
constexpr int kTooLarge = 1032;        // more pixels than a picture may have
constexpr int kNotSvg = 1033;          // XML, but not an SVG drawing
constexpr int kDrawingDamaged = 1034;  // an SVG drawing that cannot be parsed or rendered
constexpr int kDrawingTooLarge = 1035; // an SVG drawing that would render to too many pixels
constexpr int kNoSvgRenderer = 1036;   // the library that renders SVG drawings is missing
constexpr int kExternalEntity = 1037;  // an SVG drawing whose text needs another file, never read
constexpr int kIoError = 2000;         // other operating-system error
constexpr int kFileNotFound = 2001;
constexpr int kPathNotFound = 2002;
constexpr int kTooManyFiles = 2003;
constexpr int kAccessDenied = 2004;
constexpr int kNoMemory = 2005;
constexpr int kReadError = 2006;       // short read
constexpr int kSeekError = 2008;
constexpr int kCancelled = 3000;       // the progress callback asked to stop
}  // namespace ImageError

// String ids of the texts shown for the codes.
namespace ImageText {
constexpr int kInvalidData = 61272;
constexpr int kBadVersion = 61273;
constexpr int kUnknownFormat = 61274;
constexpr int kNotBlackWhite = 61275;
constexpr int kBadCompression = 61276;
constexpr int kFileNotFound = 61277;
constexpr int kPathNotFound = 61278;
constexpr int kTooManyFiles = 61279;
constexpr int kAccessDenied = 61280;
constexpr int kNoMemory = 61281;
constexpr int kReadError = 61282;
constexpr int kInternalError = 61284;  // "%08X" with the code
// Open-dialog filter texts.
constexpr int kTiffFilter = 61460;
constexpr int kBmpFilter = 61461;
constexpr int kPngFilter = 61462;
constexpr int kJpegFilter = 61463;
constexpr int kTooLarge = 61464;
constexpr int kSvgFilter = 61465;
constexpr int kNotSvg = 61466;
constexpr int kDrawingDamaged = 61467;
constexpr int kDrawingTooLarge = 61468;
constexpr int kNoSvgRenderer = 61469;
constexpr int kExternalEntity = 61470;
}  // namespace ImageText

// The string id of the message for code; 0 when the code shows nothing (0 and 3000).
int ImageErrorStringId(int code);
// The message for code in the current language, with the code filled in where the text
// asks for it; empty when the code shows nothing.
std::string ImageErrorMessage(int code);
// The code for an errno value left by a failed open of path.
int ImageErrorFromErrno(int err, const std::string& path);

// Runs a reader's body, turning a raised code or a failed allocation into the code a
// reader operation answers.
template <typename Body>
int GuardedRead(Body&& body) {
    try {
        body();
        return ImageError::kOk;
    } catch (const CodeError& e) {
        return e.code();
    } catch (const std::bad_alloc&) {
        return ImageError::kNoMemory;
    }
}
