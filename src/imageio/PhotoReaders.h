// PNG and JPEG pictures (photos and colour scans of a signature): decoded to grey with
// libpng and libjpeg-turbo, any depth, palette or alpha (over white), the JPEG's EXIF
// orientation applied, then made black and white by the binarisation of image/.
#pragma once

#include <cstdint>
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

void ReadPng(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);
void ReadJpeg(ImageFile& file, const ProgressFn& progress, MonoBitmap& out);
