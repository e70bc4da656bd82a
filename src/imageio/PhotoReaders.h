// PNG and JPEG pictures (photos and colour scans of a signature): decoded to grey with
// libpng and libjpeg-turbo, any depth, palette or alpha (over white), the JPEG's EXIF
// orientation applied, then made black and white by the binarisation of image/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Binarize.h"
#include "ImageFile.h"
#include "MonoBitmap.h"
#include "Progress.h"

// The largest picture decoded: a bomb of a file is refused, not allowed to exhaust memory.
constexpr uint64_t kMaxPhotoPixels = 100'000'000;

// Each raises a reader code (1024 damaged, 1032 too large, 2005 memory) on failure.
void DecodePng(const std::vector<uint8_t>& bytes, GreyImage& out);
void DecodeJpeg(const std::vector<uint8_t>& bytes, GreyImage& out);

// How photos are made black and white (the command line's --threshold); automatic by
// default. Used by the readers the registry calls.
void SetPhotoThreshold(const ThresholdChoice& choice);
const ThresholdChoice& PhotoThreshold();

// The readers the registry calls. Each makes its picture black and white into out and
// hands the grey it came from to keep.
void ReadPng(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep);
void ReadJpeg(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep);

// Grey and colour TIFF and BMP pictures are refused (1030, as the 1-bit readers answer)
// unless the user asked for them to be made black and white; off by default.
void SetGreyTiffBmp(bool allowed);
bool GreyTiffBmp();
// The 1-bit TIFF and BMP readers, with the grey path behind them when it is allowed.
void ReadTiffPicture(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep);
void ReadBmpPicture(ImageFile& file, const ProgressFn& progress, MonoBitmap& out, std::unique_ptr<GreySource>& keep);
