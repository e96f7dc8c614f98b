#include "flash/movie/FontFiles.h"

#include "flash/movie/LowerCase.h"
#include "platform/File.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
// A system header to the build: its own warnings stay quiet.
#include <stb_truetype.h>

#include <cctype>
#include <map>
#include <mutex>

namespace qb::movie {
namespace {

enum class Family { Sans, Serif, Mono };

Family FamilyOf(const std::string& name) {
    const std::string n = LowerCase(name);
    auto has = [&n](const char* part) { return n.find(part) != std::string::npos; };
    if (has("_typewriter") || has("courier") || has("mono") || has("console") || has("consolas")) return Family::Mono;
    if (has("sans")) return Family::Sans;
    if (has("_serif") || has("serif") || has("times") || has("georgia") || has("roman") || has("garamond") ||
        has("song") || has("ming"))
        return Family::Serif;
    return Family::Sans;
}

struct LoadedFont {
    std::vector<uint8_t> Bytes;
    stbtt_fontinfo Info{};
    float Scale = 0;  // font units to em units of kEm
};

class FontFiles final : public FontHost {
public:
    explicit FontFiles(std::string dir) : dir_(std::move(dir)) {}

    std::optional<HostGlyph> Glyph(const FontFace& face, char32_t c) const override {
        for (const std::string& file : FontFileCandidates(face)) {
            const LoadedFont* font = Load(file);
            if (!font) continue;
            const int index = stbtt_FindGlyphIndex(&font->Info, static_cast<int>(c));
            if (index == 0 && c != ' ') continue;  // not in this file: the next may have it
            return Convert(*font, index);
        }
        return std::nullopt;
    }

private:
    static HostGlyph Convert(const LoadedFont& font, int index) {
        HostGlyph g;
        const float s = font.Scale;
        int advance = 0, bearing = 0, ascent = 0, descent = 0, gap = 0;
        stbtt_GetGlyphHMetrics(&font.Info, index, &advance, &bearing);
        stbtt_GetFontVMetrics(&font.Info, &ascent, &descent, &gap);
        g.Advance = advance * s;
        g.Ascent = ascent * s;
        g.Descent = -descent * s;
        stbtt_vertex* v = nullptr;
        const int n = stbtt_GetGlyphShape(&font.Info, index, &v);
        OutlinePen pen;
        for (int i = 0; i < n; ++i) {
            const double x = v[i].x * s, y = -v[i].y * s;
            switch (v[i].type) {
                case STBTT_vmove: pen.MoveTo(x, y); break;
                case STBTT_vline: pen.LineTo(x, y); break;
                case STBTT_vcurve: pen.QuadTo(v[i].cx * s, -v[i].cy * s, x, y); break;
                case STBTT_vcubic: pen.CubicTo(v[i].cx * s, -v[i].cy * s, v[i].cx1 * s, -v[i].cy1 * s, x, y); break;
                default: break;
            }
        }
        stbtt_FreeShape(&font.Info, v);
        g.Outline = pen.Take();
        return g;
    }

    const LoadedFont* Load(const std::string& file) const {
        std::lock_guard lock(mutex_);
        auto it = fonts_.find(file);
        if (it != fonts_.end()) return it->second.get();
        std::unique_ptr<LoadedFont> font;
        if (auto bytes = ReadWholeFile(dir_ + "/" + file); bytes && bytes->size() < (size_t{64} << 20)) {
            font = std::make_unique<LoadedFont>();
            font->Bytes = std::move(*bytes);
            const int offset = stbtt_GetFontOffsetForIndex(font->Bytes.data(), 0);
            if (offset < 0 || !stbtt_InitFont(&font->Info, font->Bytes.data(), offset)) font.reset();
            else font->Scale = stbtt_ScaleForMappingEmToPixels(&font->Info, static_cast<float>(kEm));
        }
        return fonts_.emplace(file, std::move(font)).first->second.get();
    }

    std::string dir_;
    mutable std::mutex mutex_;
    // Fonts stay loaded once read (a handful of files at most).
    mutable std::map<std::string, std::unique_ptr<LoadedFont>> fonts_;
};

}  // namespace

std::vector<std::string> FontFileCandidates(const FontFace& face) {
    struct Files {
        const char* Regular;
        const char* Bold;
        const char* Italic;
        const char* BoldItalic;
    };
    static const Files kDejaVu[] = {
        {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSans-Bold.ttf", "dejavu/DejaVuSans-Oblique.ttf",
         "dejavu/DejaVuSans-BoldOblique.ttf"},
        {"dejavu/DejaVuSerif.ttf", "dejavu/DejaVuSerif-Bold.ttf", "dejavu/DejaVuSerif-Italic.ttf",
         "dejavu/DejaVuSerif-BoldItalic.ttf"},
        {"dejavu/DejaVuSansMono.ttf", "dejavu/DejaVuSansMono-Bold.ttf", "dejavu/DejaVuSansMono-Oblique.ttf",
         "dejavu/DejaVuSansMono-BoldOblique.ttf"}};
    static const Files kLiberation[] = {
        {"liberation/LiberationSans-Regular.ttf", "liberation/LiberationSans-Bold.ttf",
         "liberation/LiberationSans-Italic.ttf", "liberation/LiberationSans-BoldItalic.ttf"},
        {"liberation/LiberationSerif-Regular.ttf", "liberation/LiberationSerif-Bold.ttf",
         "liberation/LiberationSerif-Italic.ttf", "liberation/LiberationSerif-BoldItalic.ttf"},
        {"liberation/LiberationMono-Regular.ttf", "liberation/LiberationMono-Bold.ttf",
         "liberation/LiberationMono-Italic.ttf", "liberation/LiberationMono-BoldItalic.ttf"}};
    const auto family = static_cast<size_t>(FamilyOf(face.Name));
    auto styled = [&face](const Files& f) {
        return face.Bold && face.Italic ? f.BoldItalic : face.Bold ? f.Bold : face.Italic ? f.Italic : f.Regular;
    };
    return {styled(kDejaVu[family]), styled(kLiberation[family]), kDejaVu[family].Regular,
            kLiberation[family].Regular, "wqy/wqy-microhei.ttc"};
}

std::shared_ptr<const FontHost> FontFilesHost(const std::string& dir) { return std::make_shared<FontFiles>(dir); }

std::shared_ptr<const FontHost> FontFilesHost() { return FontFilesHost("/usr/share/fonts/truetype"); }

}  // namespace qb::movie
