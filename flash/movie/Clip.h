#pragma once
#include "flash/movie/DisplayObject.h"
#include "flash/movie/Value.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace qb::movie {

class Movie;

// A timeline instance: the root of a movie or a placed sprite. Frame
// numbers count from 1 here, as scripts see them.
class Clip : public DisplayObject {
public:
    Clip(Movie& movie, const movie::Timeline& timeline, const Character* character, uint16_t id, int nesting)
        : DisplayObject(character, id), movie_(movie), timeline_(timeline), nesting_(nesting) {}

    // Clips inside clips deeper than this are not created.
    static constexpr int kMaxNesting = 32;

    Clip* AsClip() override { return this; }

    const movie::Timeline& Timeline() const { return timeline_; }
    int CurrentFrame() const { return current_; }
    int FrameCount() const { return timeline_.FrameCount(); }
    bool Playing() const { return playing_; }
    void SetPlaying(bool playing) { playing_ = playing; }

    // Enters frame 1 (a new clip shows its first frame at once).
    void Start();
    // One tick of the timeline: the next frame, or back to the first after
    // the last (`wrap` false instead halts on the last frame).
    void Advance(bool wrap = true);
    // Jumps to a frame (clamped to the timeline) and plays or halts there.
    // Going back rebuilds the stage from frame 1; the target frame's
    // scripts run, the frames jumped over only place and remove.
    void Goto(int frame, bool play);

    // Depths from here on belong to scripts: the timeline never places or
    // removes anything there, and going back keeps it.
    static constexpr int kScriptDepths = 16384;
    // duplicateMovieClip: a copy of `original` (a child of this clip) at a
    // script depth, with its matrix and colour; attachMovie: a new clip of a
    // character. Either replaces what was at the depth. Null when refused.
    std::shared_ptr<DisplayObject> Duplicate(const DisplayObject& original, const std::string& name, int depth);
    std::shared_ptr<DisplayObject> Attach(uint16_t id, const std::string& name, int depth);
    // removeMovieClip: only what scripts made goes.
    void RemoveScripted(const DisplayObject& child);

    std::map<int, std::shared_ptr<DisplayObject>>& Children() { return children_; }
    const std::map<int, std::shared_ptr<DisplayObject>>& Children() const { return children_; }
    std::shared_ptr<DisplayObject> ChildNamed(const std::string& name) const;

    std::unordered_map<std::string, Value>& Variables() { return variables_; }
    const std::unordered_map<std::string, Value>& Variables() const { return variables_; }

private:
    void RunFrame(int frame, bool scripts);
    void FrameSound(const swf::Tag& tag);
    void Place(const PlaceRecord& p);
    void Rebuild(int frame);
    std::shared_ptr<DisplayObject> Create(uint16_t id, int depth);
    void Apply(DisplayObject& obj, const PlaceRecord& p, bool fresh);

    Movie& movie_;
    const movie::Timeline& timeline_;
    int nesting_;
    int current_ = 0;
    bool playing_ = true;
    uint64_t serial_ = 0;  // names this clip's sound stream
    std::map<int, std::shared_ptr<DisplayObject>> children_;
    std::unordered_map<std::string, Value> variables_;
};

// The object a script's path names from `base`: "/a/b", "_root.a", "../b",
// "this", "_parent"; null when there is none.
std::shared_ptr<DisplayObject> ResolvePath(const std::string& path, Clip& base, Clip& root);

}  // namespace qb::movie
