#pragma once
#include "flash/movie/Value.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qb::swf { class Reader; }

namespace qb::movie {

class Clip;
class Movie;

// A function a script defined: its body copied out of the movie, the names
// (or, for the second form, registers) its arguments arrive in, and the
// clip it was defined on, whose timeline and variables it works with.
struct ScriptFunction {
    std::vector<uint8_t> Code;
    std::vector<std::string> Params;
    std::vector<uint8_t> ParamRegisters;  // 0: the argument is a local variable
    std::shared_ptr<const std::vector<std::string>> Constants;  // the pool in force where it was defined
    bool OwnRegisters = false;            // the second form: registers of its own
    uint8_t RegisterCount = 0;
    uint16_t Preload = 0;                 // the second form's flags: what goes in its first registers
    std::weak_ptr<DisplayObject> Home;
};

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
    static constexpr int kMaxCallDepth = 64;

private:
    struct Frame;
    void Execute(Frame& f);
    void Step(Frame& f, uint8_t op, std::span<const uint8_t> data);
    void DefineFunction(Frame& f, bool second, swf::Reader& r, Clip& scope);
    Value Invoke(const ScriptFunction& fn, const Value& self, const std::vector<Value>& args);
    Value* Local(const std::string& name);
    Value* Register(Frame& f, uint8_t index);

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
    // Shared, not copied, with the functions defined while it is in force.
    std::shared_ptr<const std::vector<std::string>> constants_;
    Frame* current_ = nullptr;  // the innermost frame running
    int depth_ = 0;             // calls of script functions under way
};

}  // namespace qb::movie
