#pragma once
#include "flash/render/Image.h"

#include <optional>
#include <string>

namespace qb::render {

// PNG files of images, for the command-line tool and the picture tests.
bool WritePng(const Image& image, const std::string& path);
std::optional<Image> ReadPng(const std::string& path);

}  // namespace qb::render
