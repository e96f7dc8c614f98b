#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace qb::ui {

// Pictures of one size, as 32-bit pixels (0xAARRGGBB, straight alpha). The
// alpha channel is the mask.
class ImageList : public Component {
    QB_CLASS(ImageList)
public:
    ImageList() = default;
    ImageList(int width, int height) : width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int w, int h);
    void SetWidth(int w) { SetSize(w, height_); }
    void SetHeight(int h) { SetSize(width_, h); }
    int Count() const { return (int)images_.size(); }
    // Adds one picture of the list's size.
    int Add(std::vector<uint32_t> pixels);
    // Cuts a strip of pictures (each of the list's size, side by side) out of
    // a larger image; answers how many were added.
    int AddStrip(const std::vector<uint32_t>& pixels, int width, int height);
    // The same from a PNG built into the executable; throws qb::Exception
    // when it is missing or unreadable.
    int AddStripFromResource(const char* name);
    const std::vector<uint32_t>& Pixels(int i) const { return images_.at(i); }

    // The window system keeps its own copy of the pictures here.
    struct Native {
        virtual ~Native() = default;
    };
    std::unique_ptr<Native>& NativeCache() const { return native_; }

private:
    int width_ = 16, height_ = 16;
    std::vector<std::vector<uint32_t>> images_;
    mutable std::unique_ptr<Native> native_;
};

// Decodes a PNG (or any format the image reader knows) into pixels.
bool DecodeImage(const std::vector<uint8_t>& data, std::vector<uint32_t>& pixels, int& width, int& height);

}  // namespace qb::ui
