// The edit-image page's changes to the picture as data: each can be run again on a fresh
// black-and-white cut of a photo, and the whole edit state can be kept and brought back.
#pragma once

#include <cstdint>
#include <vector>

#include "Binarize.h"
#include "MonoImage.h"

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// One edit of the picture: a whole-picture command (an ImageCommand id) or a stroke of
// the eraser.
struct ImageEdit {
    static constexpr int kErase = 0;
    int command = kErase;
    int32_t radius = 0;              // erase: the brush's radius in picture pixels
    std::vector<PixelPoint> points;  // erase: the stroke, in the picture's coordinates then
};

// Paints paper over every pixel whose centre lies within radius of the polyline through
// points (one point: a disc), a row span at a time. The box of the rows and columns
// painted, clipped to the picture; empty when the stroke misses it.
PixelRect EraseStroke(MonoImage& image, const std::vector<PixelPoint>& points, int32_t radius);

// Runs one recorded edit on image; false for an unknown command.
bool ApplyImageEdit(MonoImage& image, const ImageEdit& edit);

// Everything an edit of the picture changes: the picture, the edits recorded for a new
// cut, and how a photo was last cut. Move-only: the picture is not copied implicitly.
struct ImageEditState {
    MonoImage image;
    std::vector<ImageEdit> edits;
    bool cutFromGrey = false;
    ThresholdChoice choice;
    BinarizeResult result;
};
