// Capturing part of the screen and saving it as a PNG file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // rows top down, 3 bytes a pixel
};

// The pixels of `area` (screen coordinates) as the screen shows them.
Image CaptureScreen(const RECT& area);
// Writes the image as an 8-bit RGB PNG (uncompressed deflate blocks).
bool WritePng(const std::string& path, const Image& image);

} // namespace quillon::test
