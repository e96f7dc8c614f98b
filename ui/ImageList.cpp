#include "ui/ImageList.h"

#include "app/Errors.h"
#include "ui/Backend.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace qb::ui {

QB_CLASS_INFO(ImageList, Component) {
    Published<ImageList>(info)
        .Integer("Width", &ImageList::Width, &ImageList::SetWidth)
        .Integer("Height", &ImageList::Height, &ImageList::SetHeight);
}

void ImageList::SetSize(int w, int h) {
    if (w <= 0 || h <= 0) throw Exception("Invalid image size");
    width_ = w;
    height_ = h;
    images_.clear();
    native_.reset();
}

int ImageList::Add(std::vector<uint32_t> pixels) {
    if ((int)pixels.size() != width_ * height_) throw Exception("Invalid image size");
    images_.push_back(std::move(pixels));
    native_.reset();
    return Count() - 1;
}

int ImageList::AddStrip(const std::vector<uint32_t>& pixels, int width, int height) {
    if ((int)pixels.size() != width * height || height < height_) throw Exception("Invalid image size");
    int n = width / width_;
    for (int k = 0; k < n; ++k) {
        std::vector<uint32_t> one(width_ * height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) one[y * width_ + x] = pixels[y * width + k * width_ + x];
        Add(std::move(one));
    }
    return n;
}

int ImageList::AddStripFromResource(const char* name) {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (!DecodeImage(LoadResourceData(name), pixels, w, h)) throw Exception(std::string("Missing picture ") + name);
    return AddStrip(pixels, w, h);
}

bool DecodeImage(const std::vector<uint8_t>& data, std::vector<uint32_t>& pixels, int& width, int& height) {
    int comp = 0;
    if (data.empty()) return false;
    stbi_uc* p = stbi_load_from_memory(data.data(), (int)data.size(), &width, &height, &comp, 4);
    if (!p) return false;
    std::unique_ptr<stbi_uc, void (*)(void*)> own(p, stbi_image_free);
    pixels.resize(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const stbi_uc* q = p + i * 4;
        pixels[i] = (uint32_t(q[3]) << 24) | (uint32_t(q[0]) << 16) | (uint32_t(q[1]) << 8) | q[2];
    }
    return true;
}

}  // namespace qb::ui
