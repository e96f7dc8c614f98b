#include "flash/movie/Clip.h"

#include "flash/movie/LowerCase.h"
#include "flash/movie/Movie.h"

#include <algorithm>
#include <cctype>

namespace qb::movie {

void Clip::Start() {
    if (!serial_) serial_ = movie_.NextClipSerial();
    current_ = 1;
    RunFrame(1, true);
}

void Clip::Advance(bool wrap) {
    if (!playing_) return;
    if (current_ >= FrameCount()) {
        if (!wrap) {
            playing_ = false;
            return;
        }
        if (FrameCount() == 1) return;  // nothing ever changes
        Rebuild(1);
        current_ = 1;
        movie_.MarkDirty();
        return;
    }
    ++current_;
    RunFrame(current_, true);
}

void Clip::Goto(int frame, bool play) {
    frame = std::clamp(frame, 1, FrameCount());
    playing_ = play;
    if (frame == current_ || !movie_.TakeJump()) return;
    if (frame > current_) {
        for (int f = current_ + 1; f <= frame; ++f) RunFrame(f, f == frame);
    } else {
        Rebuild(frame);
    }
    current_ = frame;
    movie_.MarkDirty();
}

void Clip::RunFrame(int frame, bool scripts) {
    if (frame < 1 || frame > static_cast<int>(timeline_.Frames.size())) return;
    const auto& tags = timeline_.Frames[static_cast<size_t>(frame) - 1];
    // Sprite set-up scripts come before anything else the frame runs, even
    // on a frame a jump passes over (the movie runs each only once).
    for (const swf::Tag& tag : tags)
        if (tag.Code == swf::tags::DoInitAction) movie_.QueueInitScript(tag.Body);
    for (const swf::Tag& tag : tags) {
        switch (tag.Code) {
            case swf::tags::PlaceObject:
            case swf::tags::PlaceObject2:
            case swf::tags::PlaceObject3:
                Place(ReadPlaceRecord(tag));
                break;
            case swf::tags::RemoveObject:
            case swf::tags::RemoveObject2:
                if (children_.erase(ReadRemoveDepth(tag))) movie_.MarkDirty();
                break;
            case swf::tags::DoAction:
                if (scripts) movie_.QueueScript(*this, tag.Body);
                break;
            case swf::tags::StartSound:
            case swf::tags::StartSound2:
            case swf::tags::SoundStreamBlock:
                // Frames a jump passes over are not heard.
                if (scripts) FrameSound(tag);
                break;
            default:
                break;
        }
    }
}

std::shared_ptr<DisplayObject> Clip::Create(uint16_t id, int depth) {
    const Character* c = movie_.Definition().Find(id);
    if (!c || c->Kind == Character::Kind::Bitmap) return nullptr;
    std::shared_ptr<DisplayObject> obj;
    if (c->Kind == Character::Kind::Sprite) {
        if (nesting_ >= kMaxNesting) return nullptr;
        obj = std::make_shared<Clip>(movie_, c->Sprite->Timeline, c, id, nesting_ + 1);
    } else if (c->Kind == Character::Kind::Button) {
        // A still clip holding the button's up state.
        if (nesting_ >= kMaxNesting) return nullptr;
        auto button = std::make_shared<Clip>(movie_, c->Button->Timeline, c, id, nesting_ + 1);
        button->SetPlaying(false);
        for (const ButtonDef::Part& part : c->Button->Up) {
            if (part.CharacterId == id) continue;
            auto child = button->Create(part.CharacterId, part.Depth);
            if (!child) continue;
            child->Matrix = part.Matrix;
            child->Cx = part.Cx;
            button->children_[part.Depth] = child;
            if (Clip* k = child->AsClip()) k->Start();
        }
        obj = button;
    } else {
        obj = std::make_shared<DisplayObject>(c, id);
    }
    obj->Depth = depth;
    obj->Parent = this;
    obj->BornTick = movie_.TickCount();
    obj->LiveToken = movie_.LiveToken();
    obj->Name = "instance" + std::to_string(movie_.NextInstanceNumber());
    return obj;
}

void Clip::Apply(DisplayObject& obj, const PlaceRecord& p, bool fresh) {
    if (p.Matrix && (fresh || !obj.Scripted)) obj.Matrix = *p.Matrix;
    if (p.Cx && (fresh || !obj.Scripted)) obj.Cx = *p.Cx;
    if (p.Ratio) obj.Ratio = *p.Ratio;
    if (p.Name) obj.Name = *p.Name;
    if (p.ClipDepth) obj.ClipDepth = *p.ClipDepth;
}

void Clip::Place(const PlaceRecord& p) {
    if (!movie_.MayPlace()) return;
    movie_.MarkDirty();
    auto it = children_.find(p.Depth);
    if (p.Move && it != children_.end()) {
        DisplayObject& old = *it->second;
        if (p.CharacterId && *p.CharacterId != old.CharacterId) {
            // Same depth, new character: it takes over the old one's place.
            auto obj = Create(*p.CharacterId, p.Depth);
            if (!obj) return;
            obj->Matrix = old.Matrix, obj->Cx = old.Cx, obj->Ratio = old.Ratio, obj->Name = old.Name;
            obj->ClipDepth = old.ClipDepth;
            Apply(*obj, p, true);
            it->second = obj;
            if (Clip* c = obj->AsClip()) c->Start();
        } else {
            Apply(old, p, false);
        }
        return;
    }
    // A move to an empty depth that names a character places it afresh.
    if (!p.CharacterId) return;
    auto obj = Create(*p.CharacterId, p.Depth);
    if (!obj) return;
    Apply(*obj, p, true);
    children_[p.Depth] = obj;
    if (Clip* c = obj->AsClip()) c->Start();
}

void Clip::Rebuild(int frame) {
    // What the timeline alone puts on stage at `frame`.
    struct State {
        uint16_t Id = 0;
        PlaceRecord Props;
    };
    std::map<int, State> want;
    for (int f = 1; f <= frame && f <= static_cast<int>(timeline_.Frames.size()); ++f) {
        for (const swf::Tag& tag : timeline_.Frames[static_cast<size_t>(f) - 1]) {
            if (tag.Code == swf::tags::RemoveObject || tag.Code == swf::tags::RemoveObject2) {
                want.erase(ReadRemoveDepth(tag));
                continue;
            }
            if (tag.Code != swf::tags::PlaceObject && tag.Code != swf::tags::PlaceObject2 &&
                tag.Code != swf::tags::PlaceObject3)
                continue;
            const PlaceRecord p = ReadPlaceRecord(tag);
            auto it = want.find(p.Depth);
            if (p.Move && it != want.end()) {
                PlaceRecord& s = it->second.Props;
                if (p.CharacterId && *p.CharacterId != it->second.Id) it->second.Id = *p.CharacterId;
                if (p.Matrix) s.Matrix = p.Matrix;
                if (p.Cx) s.Cx = p.Cx;
                if (p.Ratio) s.Ratio = p.Ratio;
                if (p.Name) s.Name = p.Name;
                if (p.ClipDepth) s.ClipDepth = p.ClipDepth;
            } else if (p.CharacterId) {
                want[p.Depth] = {*p.CharacterId, p};
            }
        }
    }
    // Keep what is already there in the same form (a clip keeps playing
    // where it is), drop the rest, add what is missing.
    for (auto it = children_.begin(); it != children_.end();) {
        if (it->first >= kScriptDepths) {
            ++it;
            continue;
        }
        auto w = want.find(it->first);
        if (w != want.end() && w->second.Id == it->second->CharacterId) {
            Apply(*it->second, w->second.Props, false);
            want.erase(w);
            ++it;
        } else {
            it = children_.erase(it);
        }
    }
    for (auto& [depth, state] : want) {
        auto obj = Create(state.Id, depth);
        if (!obj) continue;
        Apply(*obj, state.Props, true);
        children_[depth] = obj;
        if (Clip* c = obj->AsClip()) c->Start();
    }
    // Only the target frame's scripts run and sounds start.
    if (frame >= 1 && frame <= static_cast<int>(timeline_.Frames.size()))
        for (const swf::Tag& tag : timeline_.Frames[static_cast<size_t>(frame) - 1]) {
            if (tag.Code == swf::tags::DoAction) movie_.QueueScript(*this, tag.Body);
            else FrameSound(tag);
        }
    movie_.MarkDirty();
}

void Clip::FrameSound(const swf::Tag& tag) {
    if (tag.Code == swf::tags::SoundStreamBlock) {
        if (!serial_) serial_ = movie_.NextClipSerial();
        movie_.StreamBlock(serial_, timeline_, tag.Body);
    } else if (tag.Code == swf::tags::StartSound || tag.Code == swf::tags::StartSound2) {
        movie_.PlaySoundTag(tag);
    }
}

std::shared_ptr<DisplayObject> Clip::Attach(uint16_t id, const std::string& name, int depth) {
    if (!movie_.MayPlace() || depth < kScriptDepths) return nullptr;
    auto obj = Create(id, depth);
    if (!obj) return nullptr;
    obj->Name = name;
    obj->Scripted = true;
    children_[depth] = obj;
    if (Clip* c = obj->AsClip()) c->Start();
    movie_.MarkDirty();
    return obj;
}

std::shared_ptr<DisplayObject> Clip::Duplicate(const DisplayObject& original, const std::string& name, int depth) {
    const swf::Matrix matrix = original.Matrix;
    const swf::ColorTransform cx = original.Cx;
    const uint16_t ratio = original.Ratio;
    const bool visible = original.Visible;
    auto obj = Attach(original.CharacterId, name, depth);  // may replace `original` itself
    if (!obj) return nullptr;
    obj->Matrix = matrix, obj->Cx = cx, obj->Ratio = ratio, obj->Visible = visible;
    return obj;
}

void Clip::RemoveScripted(const DisplayObject& child) {
    if (child.Parent != this || child.Depth < kScriptDepths) return;
    auto it = children_.find(child.Depth);
    if (it != children_.end() && it->second.get() == &child) {
        children_.erase(it);
        movie_.MarkDirty();
    }
}

std::shared_ptr<DisplayObject> Clip::ChildNamed(const std::string& name) const {
    auto same = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const auto& [depth, child] : children_)
        if (same(child->Name, name)) return child;
    return nullptr;
}

std::shared_ptr<DisplayObject> ResolvePath(const std::string& path, Clip& base, Clip& root) {
    std::shared_ptr<DisplayObject> at = base.shared_from_this();
    if (path.empty()) return at;
    size_t i = 0;
    if (path[0] == '/') {
        at = root.shared_from_this();
        i = 1;
    }
    while (i < path.size() && at) {
        size_t j = path.find_first_of("/.:", i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        if (path.compare(i, 2, "..") == 0) {
            part = "..";
            j = i + 2;
        }
        const std::string key = LowerCase(part);
        if (key.empty()) {
        } else if (key == ".." || key == "_parent") {
            at = at->Parent ? at->Parent->shared_from_this() : nullptr;
        } else if (key == "_root" || key == "_level0") {
            at = root.shared_from_this();
        } else if (key == "this") {
        } else {
            Clip* c = at->AsClip();
            at = c ? c->ChildNamed(part) : nullptr;
        }
        i = j + (j < path.size() ? 1 : 0);
    }
    return at;
}

}  // namespace qb::movie
