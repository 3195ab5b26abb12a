// Writes the view image as a PNG file.
#pragma once

#include <string>

#include "render/terrain_image.h"

namespace cs {

// An 8-bit RGB PNG of the 512 x 512 image, every pixel a zoom x zoom block.
bool write_view_png(const Renderer& renderer, int zoom, const std::string& path);

} // namespace cs
