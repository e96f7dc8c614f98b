#include "flash/movie/Movie.h"

#include "flash/movie/Avm1.h"
#include "flash/swf/Reader.h"

#include <chrono>

namespace qb::movie {

Movie::Movie(std::shared_ptr<const MovieDef> def, sound::Mixer* mixer, uint64_t soundOwner)
    : def_(std::move(def)), mixer_(mixer), soundOwner_(soundOwner) {
    startMillis_ = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now().time_since_epoch())
                                             .count());
    root_ = std::make_shared<Clip>(*this, def_->Root(), nullptr, 0, 0);
    root_->LiveToken = liveToken_;
    root_->Start();
    RunScripts();
}

void Movie::Tick() {
    ++tick_;
    scriptSteps_ = 0;
    jumps_ = 0;
    AdvanceTree(*root_, true);
    // Without Loop the root halts as it reaches its last frame (its scripts
    // may still send it elsewhere).
    if (!loop_ && root_->CurrentFrame() >= root_->FrameCount()) root_->SetPlaying(false);
    RunScripts();
}

void Movie::AdvanceTree(Clip& clip, bool isRoot) {
    if (!isRoot && clip.BornTick == tick_) return;  // placed during this tick: starts next time
    clip.Advance(isRoot ? loop_ : true);
    std::vector<std::shared_ptr<Clip>> children;
    for (auto& [depth, child] : clip.Children())
        if (child->AsClip()) children.push_back(std::static_pointer_cast<Clip>(child));
    for (auto& c : children) AdvanceTree(*c, false);
}

void Movie::GotoFrame(int frameNum, bool play) {
    scriptSteps_ = 0;
    jumps_ = 0;
    root_->Goto(frameNum + 1, play);
    RunScripts();
}

void Movie::QueueScript(Clip& clip, std::span<const uint8_t> code) {
    scripts_.push_back({clip.weak_from_this(), code, std::nullopt});
}

void Movie::QueueInitScript(std::span<const uint8_t> body) {
    if (body.size() < 2 || !initsRun_.insert(body.data()).second) return;
    scripts_.push_back({{}, body.subspan(2), static_cast<uint16_t>(body[0] | body[1] << 8)});
}

std::shared_ptr<DisplayObject> Movie::FirstInstance(uint16_t id) const {
    std::vector<const Clip*> stack{root_.get()};
    while (!stack.empty()) {
        const Clip* c = stack.back();
        stack.pop_back();
        for (const auto& [depth, child] : c->Children())
            if (child->CharacterId == id && child->Char && child->Char->Kind == Character::Kind::Sprite) return child;
        for (auto it = c->Children().rbegin(); it != c->Children().rend(); ++it)
            if (const Clip* k = it->second->AsClip()) stack.push_back(k);
    }
    return nullptr;
}

void Movie::RunScripts() {
    Avm1 vm(*this);
    int ran = 0;
    while (!scripts_.empty()) {
        Script s = scripts_.front();
        scripts_.pop_front();
        if (++ran > kMaxScriptsPerTick) {
            // A goto loop between frame scripts: the rest waits for good.
            scripts_.clear();
            break;
        }
        auto owner = s.InitSprite ? FirstInstance(*s.InitSprite) : s.Clip.lock();
        if (s.InitSprite && !owner) owner = root_;
        if (!owner || !owner->AsClip()) continue;
        vm.Run(*owner->AsClip(), s.Code);
    }
}

bool Movie::Idle() const {
    if (!scripts_.empty()) return false;
    std::vector<const Clip*> stack{root_.get()};
    while (!stack.empty()) {
        const Clip* c = stack.back();
        stack.pop_back();
        if (c->Playing() && c->FrameCount() > 1) return false;
        for (const auto& [depth, child] : c->Children())
            if (const Clip* k = const_cast<DisplayObject&>(*child).AsClip()) stack.push_back(k);
    }
    return true;
}

void Movie::Trace(std::string line) {
    trace_.push_back(std::move(line));
    while (trace_.size() > 500) trace_.pop_front();
}

void Movie::PlaySoundTag(const swf::Tag& tag) {
    if (!mixer_) return;
    swf::Reader r(tag.Body);
    uint16_t id = 0;
    if (tag.Code == swf::tags::StartSound) id = r.U16();
    else id = def_->FindExport(r.String());
    const sound::SoundInfo info = sound::ReadSoundInfo(r);
    const sound::SoundDef* sound = def_->FindSound(id);
    if (!sound) return;
    // The sound shares the definition's life, which holds its bytes.
    mixer_->StartSound(soundOwner_, id, std::shared_ptr<const sound::SoundDef>(def_, sound), info);
}

void Movie::StreamBlock(uint64_t stream, const Timeline& timeline, std::span<const uint8_t> block) {
    if (!mixer_ || !timeline.Stream) return;
    mixer_->StreamBlock(soundOwner_, stream, *timeline.Stream, block, def_);
}

void Movie::StopSounds() {
    if (mixer_) mixer_->StopOwner(soundOwner_);
}

}  // namespace qb::movie
