#include "flash/movie/StageRenderer.h"

#include "flash/movie/FieldText.h"
#include "flash/render/Blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qb::movie {

swf::Matrix ShowAllMatrix(const swf::Rect& frame, int width, int height) {
    const double fw = std::max(1, frame.Width()), fh = std::max(1, frame.Height());
    const double s = std::min(width / fw, height / fh);
    const double ox = (width - fw * s) / 2 - frame.XMin * s;
    const double oy = (height - fh * s) / 2 - frame.YMin * s;
    return {s, 0, 0, s, ox, oy};
}

render::Image RenderFrame(const std::shared_ptr<const MovieDef>& def, int frame, int width, int height,
                          render::Quality quality, std::shared_ptr<const FontHost> fonts) {
    Movie movie(def);
    for (int i = 0; i < frame; ++i) movie.Tick();
    render::Image image;
    image.Resize(width, height);
    StageRenderer(quality, std::move(fonts)).Render(movie, image);
    return image;
}

bool StageRenderer::OverBudget() const { return drawer_->Work() > kMaxWorkPerFrame; }

void StageRenderer::Render(const Movie& movie, render::Image& target, std::optional<swf::Rgba> background) {
    if (defHeld_ != movie.DefinitionPtr()) {
        // Another movie: what was kept for the last one goes with it.
        morphs_.clear();
        texts_.clear();
        textEdges_ = 0;
        textScales_.clear();
        if (drawer_) drawer_->ForgetGlyphs();
        defHeld_ = movie.DefinitionPtr();
    }
    def_ = &movie.Definition();
    movie_ = &movie;
    target_ = &target;
    if (!drawer_ || drawerQuality_ != quality_) {
        drawer_ = std::make_unique<render::ShapeDrawer>(quality_, [this](uint16_t id) { return def_->FindBitmap(id); });
        drawerQuality_ = quality_;
        drawer_->SetWorkLimit(kMaxWorkPerFrame);
    }
    drawer_->ResetWork();
    if (morphs_.size() > 512) morphs_.clear();
    if (texts_.size() > 64 || textEdges_ > kMaxTextEdgesKept) texts_.clear(), textEdges_ = 0;

    if (target.Width <= 0 || target.Height <= 0) return;
    const swf::Matrix stage = ShowAllMatrix(def_->File().FrameRect, target.Width, target.Height);
    const swf::Rgba bg = background.value_or(def_->Background());
    FillBackground(movie, stage, render::pixel::Premultiply(bg.R, bg.G, bg.B, 255));
    masksInUse_ = 0;
    DrawChildren(movie.Root(), stage * movie.Root().Matrix, movie.Root().Cx, nullptr, 0);
}

const swf::ShapeDef* StageRenderer::ShapeOf(const DisplayObject& obj) {
    if (!obj.Char) return nullptr;
    if (obj.Char->Kind == Character::Kind::Shape) return obj.Char->Shape.get();
    if (obj.Char->Kind == Character::Kind::Morph) {
        const auto key = std::make_pair(obj.Char->Morph.get(), obj.Ratio);
        auto it = morphs_.find(key);
        if (it == morphs_.end()) it = morphs_.emplace(key, obj.Char->Morph->At(obj.Ratio)).first;
        return &it->second;
    }
    if (const TextShape* text = TextOf(obj)) return &text->Outline;
    return nullptr;
}

const TextShape* StageRenderer::TextOf(const DisplayObject& obj) {
    if (!obj.Char) return nullptr;
    if (obj.Char->StaticGlyphs) return obj.Char->StaticGlyphs.get();
    auto keep = [this](std::pair<const void*, std::string> key, auto build) {
        auto it = texts_.find(key);
        if (it == texts_.end()) {
            it = texts_.emplace(std::move(key), build()).first;
            textEdges_ += it->second.Outline.Edges.size();
        }
        return &it->second;
    };
    if (obj.Char->Kind == Character::Kind::Text)
        return keep({obj.Char->Text.get(), std::string()}, [&] { return BuildStaticText(*obj.Char->Text, &glyphs_); });
    if (obj.Char->Kind == Character::Kind::EditText) {
        const EditTextDef& field = *obj.Char->EditText;
        std::string shown = FieldText(obj, field, *movie_);
        return keep({&field, shown}, [&] { return BuildEditText(field, shown, movie_->Version() >= 6, &glyphs_); });
    }
    return nullptr;
}

bool StageRenderer::Steady(const DisplayObject& obj, const swf::Matrix& m) {
    if (textScales_.size() > 20000) textScales_.clear();
    const std::array<double, 4> scale{m.A, m.B, m.C, m.D};
    auto [it, added] = textScales_.try_emplace(&obj, scale);
    const bool same = !added && it->second == scale;
    it->second = scale;
    return same;
}

void StageRenderer::FillBackground(const Movie& movie, const swf::Matrix& stage, uint32_t color) {
    render::Image& target = *target_;
    // A movie that opens with an opaque backdrop (a rectangle over its whole
    // stage, as most do) paints every pixel under it anyway: the background
    // goes only around it.
    render::PixelRect hidden{};
    const Clip& root = movie.Root();
    if (!root.Children().empty()) {
        const DisplayObject& first = *root.Children().begin()->second;
        if (first.ClipDepth == 0 && first.Visible && first.Char && first.Char->Kind == Character::Kind::Shape)
            hidden = drawer_
                         ->OpaqueRect(*first.Char->Shape, stage * root.Matrix * first.Matrix, root.Cx * first.Cx)
                         .Intersect({0, 0, target.Width, target.Height});
    }
    for (int y = 0; y < target.Height; ++y) {
        uint32_t* row = target.Row(y);
        if (y < hidden.Y0 || y >= hidden.Y1) {
            render::blend::Fill(row, color, target.Width);
            continue;
        }
        render::blend::Fill(row, color, hidden.X0);
        render::blend::Fill(row + hidden.X1, color, target.Width - hidden.X1);
    }
}

render::Mask* StageRenderer::AcquireMask() {
    if (masksInUse_ == masks_.size()) {
        if (masks_.size() >= 64) return nullptr;  // deeper mask nesting draws nothing more
        masks_.push_back(std::make_unique<render::Mask>());
    }
    render::Mask* m = masks_[masksInUse_++].get();
    const size_t size = static_cast<size_t>(target_->Width) * static_cast<size_t>(target_->Height);
    if (m->Cover.size() != size) m->Cover.assign(size, 0);
    m->Width = target_->Width;
    return m;
}

void StageRenderer::DrawChildren(const Clip& clip, const swf::Matrix& m, const swf::ColorTransform& cx,
                                 const render::Mask* mask, int nesting) {
    struct Layer {
        int UpTo;
        render::Mask* Mask;
    };
    std::vector<Layer> layers;
    const size_t masksBefore = masksInUse_;
    for (const auto& [depth, child] : clip.Children()) {
        if (OverBudget()) break;
        while (!layers.empty() && depth > layers.back().UpTo) layers.pop_back();
        const render::Mask* current = layers.empty() ? mask : layers.back().Mask;
        if (child->ClipDepth > 0) {
            render::Mask* layer = AcquireMask();
            if (!layer) continue;
            // The mask starts empty over the area its parent lets through
            // and its own drawing may reach: nothing outside shows, so what
            // it hides there is never drawn.
            const swf::Matrix at = m * child->Matrix;
            layer->Bounds = (current ? current->Bounds : render::PixelRect{0, 0, target_->Width, target_->Height})
                                .Intersect(MaskExtent(*child, at, nesting + 1));
            for (int y = layer->Bounds.Y0; y < layer->Bounds.Y1; ++y)
                std::memset(layer->Row(y) + layer->Bounds.X0, 0, static_cast<size_t>(layer->Bounds.X1 - layer->Bounds.X0));
            DrawIntoMask(*child, at, *layer, nesting + 1);
            if (current) {
                // Masks inside masks: only what both let through.
                for (int y = layer->Bounds.Y0; y < layer->Bounds.Y1; ++y) {
                    uint8_t* dst = layer->Row(y);
                    const uint8_t* src = current->Row(y);
                    for (int x = layer->Bounds.X0; x < layer->Bounds.X1; ++x)
                        dst[x] = static_cast<uint8_t>((dst[x] * (src[x] + 1)) >> 8);
                }
            }
            layers.push_back({child->ClipDepth, layer});
            continue;
        }
        if (!child->Visible) continue;
        DrawObject(*child, m * child->Matrix, cx * child->Cx, current, nesting + 1);
    }
    masksInUse_ = masksBefore;
}

void StageRenderer::DrawObject(const DisplayObject& obj, const swf::Matrix& m, const swf::ColorTransform& cx,
                               const render::Mask* mask, int nesting) {
    if (nesting > 64) return;
    // A text's shape is its outline: one look-up (a field's text is worked
    // out afresh each time) serves both.
    const TextShape* text = TextOf(obj);
    if (const swf::ShapeDef* shape = text ? &text->Outline : ShapeOf(obj)) {
        render::PixelRect all{0, 0, target_->Width, target_->Height};
        if (obj.Char->Kind == Character::Kind::EditText && !obj.Char->EditText->AutoSize && m.B == 0 && m.C == 0) {
            // A field shows its text through its own rectangle: a long line
            // ends at its side. (A turned field is not cut; one that grows
            // to fit its text never needs to be.)
            const swf::Rect& b = obj.Char->EditText->Bounds;
            double x0, y0, x1, y1;
            m.Apply(b.XMin, b.YMin, x0, y0);
            m.Apply(b.XMax, b.YMax, x1, y1);
            auto pixel = [](double v) { return static_cast<int>(std::clamp(std::floor(v + 0.5), -1e8, 1e8)); };
            // A pixel to spare all round keeps the border's soft edge.
            all = all.Intersect({pixel(std::min(x0, x1)) - 1, pixel(std::min(y0, y1)) - 1, pixel(std::max(x0, x1)) + 1,
                                 pixel(std::max(y0, y1)) + 1});
            if (all.Empty()) return;
        }
        if (text && !text->Glyphs.empty() && Steady(obj, m) && drawer_->GlyphsFit(text->Glyphs, m)) {
            if (!text->Backdrop.Edges.empty()) drawer_->Draw(text->Backdrop, m, cx, *target_, all, mask);
            drawer_->DrawGlyphs(text->Glyphs, text->Outline.Fills, m, cx, *target_, all, mask);
            return;
        }
        drawer_->Draw(*shape, m, cx, *target_, all, mask);
        return;
    }
    if (const Clip* clip = const_cast<DisplayObject&>(obj).AsClip()) DrawChildren(*clip, m, cx, mask, nesting);
}

// The pixels a mask's drawing can cover: what DrawIntoMask would draw, each
// shape cut to its bounds as the drawer cuts it.
render::PixelRect StageRenderer::MaskExtent(const DisplayObject& obj, const swf::Matrix& m, int nesting) {
    if (nesting > 64) return {};
    if (const swf::ShapeDef* shape = ShapeOf(obj)) return render::ShapeDrawer::DeviceBounds(*shape, m);
    render::PixelRect all{};
    if (const Clip* clip = const_cast<DisplayObject&>(obj).AsClip())
        for (const auto& [depth, child] : clip->Children()) {
            if (child->ClipDepth != 0 || !child->Visible) continue;
            const render::PixelRect r = MaskExtent(*child, m * child->Matrix, nesting + 1);
            if (r.Empty()) continue;
            all = all.Empty() ? r
                              : render::PixelRect{std::min(all.X0, r.X0), std::min(all.Y0, r.Y0), std::max(all.X1, r.X1),
                                                  std::max(all.Y1, r.Y1)};
        }
    return all;
}

void StageRenderer::DrawIntoMask(const DisplayObject& obj, const swf::Matrix& m, render::Mask& mask, int nesting) {
    if (nesting > 64 || OverBudget()) return;
    if (const swf::ShapeDef* shape = ShapeOf(obj)) {
        drawer_->DrawMask(*shape, m, mask, mask.Bounds);
        return;
    }
    if (const Clip* clip = const_cast<DisplayObject&>(obj).AsClip())
        for (const auto& [depth, child] : clip->Children())
            if (child->ClipDepth == 0 && child->Visible) DrawIntoMask(*child, m * child->Matrix, mask, nesting + 1);
}

}  // namespace qb::movie
