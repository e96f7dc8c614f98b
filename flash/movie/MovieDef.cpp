#include "flash/movie/MovieDef.h"

#include "flash/movie/BitmapDecoder.h"
#include "flash/movie/Button.h"
#include "flash/movie/LowerCase.h"
#include "flash/movie/Morph.h"
#include "flash/swf/Reader.h"

#include <algorithm>

namespace qb::movie {


int Timeline::FindLabel(const std::string& label) const {
    const std::string key = LowerCase(label);
    for (const auto& [name, frame] : Labels)
        if (name == key) return frame;
    return 0;
}

std::shared_ptr<const MovieDef> MovieDef::Load(std::vector<uint8_t> file, swf::LoadError& error) {
    auto def = std::shared_ptr<MovieDef>(new MovieDef());
    error = swf::ParseMovieFile(file, def->file_);
    if (error != swf::LoadError::None) return nullptr;
    def->ReadTimeline(def->file_.Tags(), def->root_, 0);
    return def;
}

const Character* MovieDef::Find(uint16_t id) const {
    auto it = dictionary_.find(id);
    return it == dictionary_.end() ? nullptr : &it->second;
}

const sound::SoundDef* MovieDef::FindSound(uint16_t id) const {
    auto it = sounds_.find(id);
    return it == sounds_.end() ? nullptr : &it->second;
}

uint16_t MovieDef::FindExport(const std::string& name) const {
    auto it = exports_.find(name);
    return it == exports_.end() ? 0 : it->second;
}

const render::Image* MovieDef::FindBitmap(uint16_t id) const {
    const Character* c = Find(id);
    return c && c->Kind == Character::Kind::Bitmap ? c->Bitmap.get() : nullptr;
}

void MovieDef::ReadTimeline(std::span<const uint8_t> tags, Timeline& out, int nesting) {
    swf::TagWalker walker(tags);
    std::vector<swf::Tag> frame;
    while (auto tag = walker.Next()) {
        switch (tag->Code) {
            case swf::tags::ShowFrame:
                out.Frames.push_back(std::move(frame));
                frame.clear();
                break;
            case swf::tags::FrameLabel: {
                swf::Reader r(tag->Body);
                out.Labels.emplace_back(LowerCase(r.String()), static_cast<int>(out.Frames.size()) + 1);
                break;
            }
            case swf::tags::PlaceObject:
            case swf::tags::PlaceObject2:
            case swf::tags::PlaceObject3:
            case swf::tags::RemoveObject:
            case swf::tags::RemoveObject2:
            case swf::tags::DoAction:
            case swf::tags::DoInitAction:
            case swf::tags::StartSound:
            case swf::tags::StartSound2:
            case swf::tags::SoundStreamBlock:
                frame.push_back(*tag);
                break;
            case swf::tags::SoundStreamHead:
            case swf::tags::SoundStreamHead2:
                out.Stream = sound::ReadStreamHead(tag->Body);
                break;
            case swf::tags::SetBackgroundColor:
                if (!backgroundSet_ && nesting == 0) {
                    swf::Reader r(tag->Body);
                    background_ = r.ReadRgb();
                    backgroundSet_ = true;
                }
                break;
            default:
                Define(*tag, nesting);
                break;
        }
    }
    // Tags after the last ShowFrame still make a frame (the player shows it).
    if (!frame.empty()) out.Frames.push_back(std::move(frame));
}

void MovieDef::Define(const swf::Tag& tag, int nesting) {
    swf::Reader r(tag.Body);
    auto put = [this](uint16_t id, Character c) { dictionary_.insert_or_assign(id, std::move(c)); };
    switch (tag.Code) {
        case swf::tags::DefineShape:
        case swf::tags::DefineShape2:
        case swf::tags::DefineShape3:
        case swf::tags::DefineShape4: {
            const uint16_t id = r.U16();
            const int version = tag.Code == swf::tags::DefineShape    ? 1
                                : tag.Code == swf::tags::DefineShape2 ? 2
                                : tag.Code == swf::tags::DefineShape3 ? 3
                                                                      : 4;
            Character c;
            c.Shape = std::make_shared<swf::ShapeDef>(swf::ReadShape(r, version));
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineMorphShape:
        case swf::tags::DefineMorphShape2: {
            const uint16_t id = r.U16();
            Character c;
            c.Kind = Character::Kind::Morph;
            c.Morph = std::make_shared<MorphDef>(ReadMorph(r, tag.Code == swf::tags::DefineMorphShape2 ? 2 : 1));
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineSprite: {
            if (nesting >= kMaxSpriteNesting) break;
            const uint16_t id = r.U16();
            r.U16();  // declared frame count: the ShowFrame tags decide
            auto sprite = std::make_shared<SpriteDef>();
            ReadTimeline(r.Rest(), sprite->Timeline, nesting + 1);
            Character c;
            c.Kind = Character::Kind::Sprite;
            c.Sprite = std::move(sprite);
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineFont:
        case swf::tags::DefineFont2:
        case swf::tags::DefineFont3: {
            const uint16_t id = r.U16();
            const int version = tag.Code == swf::tags::DefineFont ? 1 : tag.Code == swf::tags::DefineFont2 ? 2 : 3;
            fonts_.insert_or_assign(id, std::make_shared<FontDef>(ReadFont(r, version)));
            break;
        }
        case swf::tags::DefineFontInfo:
        case swf::tags::DefineFontInfo2: {
            auto it = fonts_.find(r.U16());
            if (it != fonts_.end()) ReadFontInfo(r, tag.Code == swf::tags::DefineFontInfo2 ? 2 : 1, *it->second);
            break;
        }
        case swf::tags::DefineText:
        case swf::tags::DefineText2: {
            const uint16_t id = r.U16();
            auto text = std::make_shared<StaticTextDef>(
                ReadStaticText(r, tag.Code == swf::tags::DefineText2 ? 2 : 1, fonts_));
            Character c;
            if (text->NeedsHost()) {
                c.Kind = Character::Kind::Text;
            } else {
                auto shape = std::make_shared<const TextShape>(BuildStaticText(*text, nullptr));
                c.Shape = std::shared_ptr<const swf::ShapeDef>(shape, &shape->Outline);
                c.StaticGlyphs = std::move(shape);
            }
            c.Text = std::move(text);  // keeps the glyphs' fonts
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineEditText: {
            const uint16_t id = r.U16();
            Character c;
            c.Kind = Character::Kind::EditText;
            c.EditText = std::make_shared<EditTextDef>(ReadEditText(r, fonts_));
            boundText_ = boundText_ || !c.EditText->VariableName.empty();
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineButton:
        case swf::tags::DefineButton2: {
            const uint16_t id = r.U16();
            Character c;
            c.Kind = Character::Kind::Button;
            c.Button = std::make_shared<ButtonDef>(ReadButton(r, tag.Code == swf::tags::DefineButton2 ? 2 : 1));
            put(id, std::move(c));
            break;
        }
        case swf::tags::DefineButtonSound: {
            auto it = dictionary_.find(r.U16());
            if (it == dictionary_.end() || it->second.Kind != Character::Kind::Button) break;
            auto button = std::make_shared<ButtonDef>(*it->second.Button);
            ReadButtonSounds(r, *button);
            it->second.Button = std::move(button);
            break;
        }
        case swf::tags::DefineSound: {
            const uint16_t id = r.U16();
            if (auto sound = sound::ReadDefineSound(r.Rest()); sound && !r.Overrun()) sounds_.insert_or_assign(id, *sound);
            break;
        }
        case swf::tags::ExportAssets:
        case swf::tags::SymbolClass: {
            const uint16_t count = r.U16();
            for (int i = 0; i < count && !r.Overrun(); ++i) {
                const uint16_t id = r.U16();
                std::string name = r.String();
                if (!r.Overrun()) exports_.insert_or_assign(std::move(name), id);
            }
            break;
        }
        case swf::tags::JpegTables:
            jpegTables_.assign(tag.Body.begin(), tag.Body.end());
            break;
        case swf::tags::DefineBits:
        case swf::tags::DefineBitsJpeg2:
        case swf::tags::DefineBitsJpeg3:
        case swf::tags::DefineBitsJpeg4:
        case swf::tags::DefineBitsLossless:
        case swf::tags::DefineBitsLossless2: {
            if (tag.Body.size() < 2) break;
            const uint16_t id = r.U16();
            auto image = DecodeBitmap(tag.Code, r.Rest(), jpegTables_, kMaxBitmapPixels - bitmapPixels_);
            if (!image) break;
            bitmapPixels_ += image->Pixels.size();
            Character c;
            c.Kind = Character::Kind::Bitmap;
            c.Bitmap = std::move(image);
            put(id, std::move(c));
            break;
        }
        default:
            break;  // unknown or unsupported: skipped
    }
}

}  // namespace qb::movie
