// Drawings for the SVG reader's tests: files written into the test's folder, gzip
// packing, librsvg's own rendering of a drawing as the oracle, and the registry read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MonoImage.h"
#include "SvgReader.h"

namespace svg_test {

std::string TempPath(const std::string& name);
void WriteFile(const std::string& path, const std::string& bytes);
std::vector<uint8_t> Bytes(const std::string& text);
// The text packed as a gzip stream (an .svgz file's contents).
std::string Gzip(const std::string& text);

// librsvg's rendering of the file's bytes, laid out as the reader lays them out, on a
// transparent surface: ink wherever the drawing covers at least half a pixel.
void OracleRendering(const std::vector<uint8_t>& fileBytes, const SvgLayout& layout, MonoBitmap& out);

// Reads a picture file through a registry with the SVG reader; the code, image on success.
int ReadThroughRegistry(const std::string& path, std::unique_ptr<MonoImage>& image);

// Ink pixels of a picture, and the box holding them (empty box when there are none).
long CountInk(const MonoBitmap& b);
PixelRect InkBox(const MonoBitmap& b);

}  // namespace svg_test
