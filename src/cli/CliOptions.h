// Command-line arguments of the headless front end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Binarize.h"
#include "MonoImage.h"
#include "SvgReader.h"

struct BuildOptions {
    std::string font;     // a file, or a full name from the catalogue
    std::string image;    // a picture: TIFF, BMP, PNG, JPEG or an SVG drawing
    std::string eps;      // or an Illustrator EPS/AI drawing
    bool scan = false;    // or a page scanned now
    std::string scanDevice;  // the SANE device; empty: the first one
    uint16_t charCode = 0xFFFF;
    std::optional<PixelRect> select;  // default: all ink
    // Picture corrections in the order given: 'e' enhance, 'h'/'v' flip, 'c'/'a' rotate
    // clockwise / anticlockwise, 'i' invert.
    std::string edits;
    std::optional<int32_t> size, vpos, left, right;
    std::string suffix = "-Penmark";
    std::string output = "Penmark.ttf";
    bool install = false;
    ThresholdChoice threshold;  // how a photo becomes black and white
    bool thresholdGiven = false;  // asked for: grey and colour TIFF and BMP pictures are taken too
    int32_t svgSize = kDefaultSvgSize;  // pixels on the longer side of an SVG drawing
};

struct ScanOptions {
    std::string device;  // empty: the first device found
    int32_t dpi = 300;
    std::string output;  // TIFF file
    bool list = false;
};

struct TraceOptions {
    std::string input;   // picture or EPS/AI file
    std::string output;  // SVG file
    ThresholdChoice threshold;
    bool thresholdGiven = false;
    int32_t svgSize = kDefaultSvgSize;  // pixels on the longer side of an SVG drawing
};

struct ThresholdOptions {
    std::string input;   // a picture
    std::string output;  // plain PBM file
    ThresholdChoice threshold;
    bool thresholdGiven = false;
    int32_t svgSize = kDefaultSvgSize;  // pixels on the longer side of an SVG drawing
};

// "auto", "global", "local" or a level 0 to 255.
std::optional<ThresholdChoice> ParseThreshold(const std::string& text);

// Parses "X", "U+XXXX" or one UTF-8 character into a code of the Basic Multilingual
// Plane (the character codes a font's maps take here).
std::optional<uint16_t> ParseCharacter(const std::string& text);
// Parses "X,Y,W,H" into a rectangle with positive width and height.
std::optional<PixelRect> ParseSelection(const std::string& text);
// Parses the length of an SVG drawing's longer side in pixels, 16 to 30000.
std::optional<int32_t> ParseSvgSize(const std::string& text);
// Parses a whole decimal number, sign allowed.
std::optional<int32_t> ParseInteger(const std::string& text);

// The outcome of parsing: the options, or a message to show (then exit code 2).
struct ParseError {
    std::string message;
};

std::optional<ParseError> ParseBuildOptions(const std::vector<std::string>& args, BuildOptions& out);
std::optional<ParseError> ParseScanOptions(const std::vector<std::string>& args, ScanOptions& out);
std::optional<ParseError> ParseTraceOptions(const std::vector<std::string>& args, TraceOptions& out);
std::optional<ParseError> ParseThresholdOptions(const std::vector<std::string>& args, ThresholdOptions& out);
