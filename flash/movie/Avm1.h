#pragma once
#include "flash/movie/Value.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qb::movie {

class Clip;
class Movie;

// Runs frame scripts: the stack machine of the movie's script bytecode,
// with the timeline commands and enough of the language's values, variables,
// properties and clip methods for common timeline scripts. Unknown actions
// are skipped; every run is bounded in steps, stack and string size.
class Avm1 {
public:
    explicit Avm1(Movie& movie) : movie_(movie) {}
    void Run(Clip& clip, std::span<const uint8_t> code);

    static constexpr int kMaxStepsPerRun = 200000;
    static constexpr size_t kMaxStack = 4096;
    static constexpr size_t kMaxString = 1 << 20;

private:
    struct Frame;
    void Step(Frame& f, uint8_t op, std::span<const uint8_t> data);

    Value Pop();
    void Push(Value v);
    // Clips by path: "/a/b", "_root.a", "../b", "this", "_parent".
    std::shared_ptr<DisplayObject> Resolve(const std::string& path, Clip& base) const;
    Value GetVariable(const std::string& name, Clip& scope);
    void SetVariable(const std::string& name, Value v, Clip& scope);
    Value GetProperty(DisplayObject& obj, int index);
    void SetProperty(DisplayObject& obj, int index, const Value& v);
    Value GetMember(const Value& obj, const std::string& name);
    void SetMember(const Value& obj, const std::string& name, Value v);
    Value CallMethod(const Value& obj, const std::string& name, const std::vector<Value>& args);
    void GotoFrame(Clip& clip, const Value& frame, bool play, int bias = 0);
    static int PropertyIndex(const std::string& name);
    int Version() const;

    Movie& movie_;
    std::vector<Value> stack_;
    std::array<Value, 4> registers_;
    std::vector<std::string> constants_;
};

}  // namespace qb::movie
