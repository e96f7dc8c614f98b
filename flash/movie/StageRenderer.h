#pragma once
#include "flash/movie/FontFiles.h"
#include "flash/movie/FontHost.h"
#include "flash/movie/Movie.h"
#include "flash/render/Compositor.h"
#include "flash/render/Image.h"
#include "flash/render/ShapeDrawer.h"

#include <array>
#include <map>
#include <unordered_map>
#include <memory>
#include <optional>
#include <vector>

namespace qb::movie {

// The map from a movie's twips to the pixels of a w x h canvas when the
// movie keeps its aspect ratio, as large as fits, centred.
swf::Matrix ShowAllMatrix(const swf::Rect& frame, int width, int height);

// A movie as it looks `frame` frame times after loading (scripts run as when
// playing), drawn on a width x height canvas on its own background.
render::Image RenderFrame(const std::shared_ptr<const MovieDef>& def, int frame, int width, int height,
                          render::Quality quality = render::Quality::High,
                          std::shared_ptr<const FontHost> fonts = FontFilesHost());

// Draws a movie's stage into an image: background, then every object in
// depth order with masks and colour transforms applied. Text in device
// fonts takes its outlines from `fonts`.
class StageRenderer {
public:
    explicit StageRenderer(render::Quality quality = render::Quality::High,
                           std::shared_ptr<const FontHost> fonts = FontFilesHost())
        : quality_(quality), glyphs_(std::move(fonts)) {}

    void SetQuality(render::Quality q) { quality_ = q; }
    // background: the colour behind the movie and around it; the movie's
    // own background colour when empty.
    void Render(const Movie& movie, render::Image& target, std::optional<swf::Rgba> background = std::nullopt);

    // Lines and cells one frame may cost before the rest of it is dropped.
    static constexpr size_t kMaxWorkPerFrame = size_t{60} << 20;

private:
    void FillBackground(const Movie& movie, const swf::Matrix& stage, uint32_t color);
    void DrawChildren(const Clip& clip, const swf::Matrix& m, const swf::ColorTransform& cx,
                      const render::Mask* mask, int nesting);
    void DrawObject(const DisplayObject& obj, const swf::Matrix& m, const swf::ColorTransform& cx,
                    const render::Mask* mask, int nesting);
    void DrawIntoMask(const DisplayObject& obj, const swf::Matrix& m, render::Mask& mask, int nesting);
    render::PixelRect MaskExtent(const DisplayObject& obj, const swf::Matrix& m, int nesting);
    const swf::ShapeDef* ShapeOf(const DisplayObject& obj);
    // The text an object shows, or null for other objects.
    const TextShape* TextOf(const DisplayObject& obj);
    // Whether a text is drawn at the same size as last frame (only moved):
    // then its glyphs are drawn from kept coverage.
    bool Steady(const DisplayObject& obj, const swf::Matrix& m);
    render::Mask* AcquireMask();
    bool OverBudget() const;

    render::Quality quality_;
    render::Image* target_ = nullptr;
    const MovieDef* def_ = nullptr;
    std::unique_ptr<render::ShapeDrawer> drawer_;
    render::Quality drawerQuality_ = render::Quality::High;
    std::vector<std::unique_ptr<render::Mask>> masks_;
    size_t masksInUse_ = 0;
    std::map<std::pair<const MorphDef*, uint16_t>, swf::ShapeDef> morphs_;
    const Movie* movie_ = nullptr;
    HostGlyphCache glyphs_;
    // Texts drawn from host glyphs or showing a variable, by definition and
    // text shown.
    std::map<std::pair<const void*, std::string>, TextShape> texts_;
    std::unordered_map<const DisplayObject*, std::array<double, 4>> textScales_;
    std::shared_ptr<const MovieDef> defHeld_;  // what the kept shapes point into stays
    size_t textEdges_ = 0;
    static constexpr size_t kMaxTextEdgesKept = size_t{4} << 20;
};

}  // namespace qb::movie
