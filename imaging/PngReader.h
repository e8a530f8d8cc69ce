// Reads a PNG file into a TsfPngImage: chunk by chunk with CRC checks, the image data
// inflated across consecutive IDAT chunks and unfiltered row by row. Every size taken
// from the file is checked against the image's ReadLimits before anything is allocated.
#pragma once

#include <string>

class TStream;
class TsfPngImage;

namespace png_reader {

// Fills image from stream. Returns an empty string on success, otherwise why the
// bytes were refused (the image is then left empty).
std::string ReadPng(TsfPngImage& image, TStream& stream);

} // namespace png_reader
