// Black and white from a grey picture (a photo or a colour scan of a signature): a
// global threshold (Otsu) for evenly lit paper; where the light or the paper varies, the
// paper's own brightness taken out first (PaperBackground.h) and the flat picture cut;
// an automatic choice between them, and the specks removed. A picture of only two grey
// levels is already black and white and is taken pixel for pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "GreyImage.h"
#include "MonoImage.h"

// Auto: Local where the paper is uneven, else Global. Global: Otsu's level on the picture.
// Local: the picture flattened by its paper, cut at a level between paper and ink.
// Fixed: the flattened picture cut at the given level.
enum class ThresholdMode { Auto, Global, Local, Fixed };

struct ThresholdChoice {
    ThresholdMode mode = ThresholdMode::Auto;
    int level = 128;  // the fixed level: darker pixels of the flattened picture are ink
};

struct BinarizeResult {
    ThresholdMode used = ThresholdMode::Global;  // Global or Local (Fixed when asked)
    int level = 128;  // the level used: on the picture for Global, the flattened one otherwise
};

// A picture that was made black and white, with the grey it came from and how it was
// cut: kept so that it can be cut again at another level, never from the 1-bit result.
struct GreySource {
    GreyImage grey;
    ThresholdChoice choice;
    BinarizeResult result;
};

// The level that best splits the histogram into two classes (Otsu).
int OtsuLevel(const GreyImage& grey);

// True when the paper's brightness varies across the picture by more than a global
// threshold can bridge: the rule behind the automatic choice.
bool UnevenPaper(const GreyImage& grey, int otsuLevel);

// The picture in black and white (0 ink), specks smaller than a stroke's square removed.
// Raises 2005 when memory runs out.
BinarizeResult Binarize(const GreyImage& grey, const ThresholdChoice& choice, MonoImage& out);

// The typical stroke width in pixels: the median length of the horizontal ink runs.
int StrokeWidth(const MonoImage& image);
// Removes 8-connected ink components of fewer than minPixels pixels; the count removed.
int RemoveSpecks(MonoImage& image, int minPixels);

// The picture turned upright as an orientation tag (TIFF's and EXIF's, 1 to 8) says;
// other values leave it as it is.
void OrientGrey(GreyImage& grey, int orientation);

// The grey of a colour (the luma of Rec. 601), rounded.
inline uint8_t GreyOf(uint8_t r, uint8_t g, uint8_t b) {
    return uint8_t((299u * r + 587u * g + 114u * b + 500u) / 1000u);
}
