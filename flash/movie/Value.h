#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace qb::movie {

class DisplayObject;
struct ScriptFunction;

// A script value. Clips are held weakly: a clip removed from the stage while
// a script still refers to it reads as undefined.
struct Value {
    enum class Type : uint8_t { Undefined, Null, Bool, Number, String, Clip, MathObject, Function };
    Value::Type Type = Type::Undefined;
    double Number = 0;
    bool Bool = false;
    std::string String;
    std::weak_ptr<DisplayObject> Clip;
    std::shared_ptr<const ScriptFunction> Function;

    static Value Num(double v) { Value x; x.Type = Type::Number; x.Number = v; return x; }
    static Value Boolean(bool v) { Value x; x.Type = Type::Bool; x.Bool = v; return x; }
    static Value Str(std::string v) { Value x; x.Type = Type::String; x.String = std::move(v); return x; }
    static Value Null() { Value x; x.Type = Type::Null; return x; }
    static Value Fn(std::shared_ptr<const ScriptFunction> function) {
        Value x;
        x.Type = function ? Type::Function : Type::Undefined;
        x.Function = std::move(function);
        return x;
    }
    static Value Of(const std::shared_ptr<DisplayObject>& clip) {
        Value x;
        x.Type = clip ? Type::Clip : Type::Undefined;
        x.Clip = clip;
        return x;
    }

    // Conversions as the player's script language does them; `version` is
    // the movie's, which changes a few answers.
    double ToNumber(int version) const;
    std::string ToString(int version) const;
    bool ToBool(int version) const;
    bool IsNumeric() const { return Type == Type::Number || Type == Type::Bool; }
};

std::string NumberToString(double v);

}  // namespace qb::movie
