#include "flash/movie/Avm1.h"

#include "flash/movie/Clip.h"
#include "flash/movie/LowerCase.h"
#include "flash/movie/Movie.h"
#include "flash/swf/Reader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cctype>
#include <limits>
#include <numbers>
#include <random>

namespace qb::movie {
namespace {

const char* const kProperties[] = {"_x",       "_y",          "_xscale",    "_yscale",   "_currentframe",
                                   "_totalframes", "_alpha",   "_visible",   "_width",    "_height",
                                   "_rotation", "_target",     "_framesloaded", "_name", "_droptarget",
                                   "_url",     "_highquality", "_focusrect", "_soundbuftime", "_quality",
                                   "_xmouse",  "_ymouse"};

// A property number off the stack: anything that names no property (not
// a number, infinite, negative, huge) becomes -1, which none answers to.
int PropertyNumber(double n) {
    return std::isfinite(n) && n >= 0 && n < static_cast<double>(std::size(kProperties)) ? static_cast<int>(n) : -1;
}

std::mt19937& Random() {
    static thread_local std::mt19937 engine{std::random_device{}()};
    return engine;
}

}  // namespace

struct Avm1::Frame {
    std::span<const uint8_t> Code;
    size_t Pc = 0;
    std::shared_ptr<DisplayObject> Base;    // the clip whose frame this script is
    std::shared_ptr<DisplayObject> Target;  // where timeline commands go (setTarget)
    Clip* TargetClip() const { return Target ? Target->AsClip() : nullptr; }
    // Inside a script function: its local variables, its own registers
    // (the second form), what `this` is, and what it returns.
    bool InFunction = false;
    std::vector<std::pair<std::string, Value>> Locals;  // names lower-cased
    std::vector<Value> Registers;
    bool OwnRegisters = false;
    Value This;
    Value Return;
};

Value* Avm1::Local(const std::string& name) {
    if (!current_ || !current_->InFunction) return nullptr;
    const std::string key = LowerCase(name);
    for (auto& [k, v] : current_->Locals)
        if (k == key) return &v;
    return nullptr;
}

Value* Avm1::Register(Frame& f, uint8_t index) {
    if (f.OwnRegisters) return index < f.Registers.size() ? &f.Registers[index] : nullptr;
    return index < registers_.size() ? &registers_[index] : nullptr;
}

int Avm1::Version() const { return movie_.Version(); }

Value Avm1::Pop() {
    if (stack_.empty()) return {};
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

void Avm1::Push(Value v) {
    if (v.Type == Value::Type::String && v.String.size() > kMaxString) v.String.resize(kMaxString);
    if (stack_.size() < kMaxStack) stack_.push_back(std::move(v));
}

int Avm1::PropertyIndex(const std::string& name) {
    const std::string key = LowerCase(name);
    for (int i = 0; i < static_cast<int>(std::size(kProperties)); ++i)
        if (key == kProperties[i]) return i;
    return -1;
}

std::shared_ptr<DisplayObject> Avm1::Resolve(const std::string& path, Clip& base) const {
    return ResolvePath(path, base, movie_.Root());
}

Value Avm1::GetVariable(const std::string& name, Clip& scope) {
    // "path:var" or "path.var" names a variable of another clip.
    const size_t colon = name.rfind(':');
    const size_t dot = name.rfind('.');
    const size_t cut = colon != std::string::npos ? colon : dot;
    if (cut != std::string::npos && cut > 0) {
        auto owner = Resolve(name.substr(0, cut), scope);
        if (!owner) return {};
        return GetMember(Value::Of(owner), name.substr(cut + 1));
    }
    if (Value* local = Local(name)) return *local;
    const std::string key = LowerCase(name);
    if (key == "this") return current_ && current_->InFunction ? current_->This : Value::Of(scope.shared_from_this());
    if (key == "_root" || key == "_level0") return Value::Of(movie_.Root().shared_from_this());
    if (key == "_parent") return Value::Of(scope.Parent ? scope.Parent->shared_from_this() : nullptr);
    if (key == "math") {
        Value m;
        m.Type = Value::Type::MathObject;
        return m;
    }
    if (name.find('/') != std::string::npos) return Value::Of(Resolve(name, scope));
    return GetMember(Value::Of(scope.shared_from_this()), name);
}

void Avm1::SetVariable(const std::string& name, Value v, Clip& scope) {
    const size_t colon = name.rfind(':');
    const size_t dot = name.rfind('.');
    const size_t cut = colon != std::string::npos ? colon : dot;
    if (cut != std::string::npos && cut > 0) {
        auto owner = Resolve(name.substr(0, cut), scope);
        if (owner) SetMember(Value::Of(owner), name.substr(cut + 1), std::move(v));
        return;
    }
    if (Value* local = Local(name)) {
        *local = std::move(v);
        return;
    }
    SetMember(Value::Of(scope.shared_from_this()), name, std::move(v));
}

Value Avm1::GetProperty(DisplayObject& obj, int index) {
    const swf::Matrix& m = obj.Matrix;
    Clip* clip = obj.AsClip();
    switch (index) {
        case 0: return Value::Num(m.Tx / 20.0);
        case 1: return Value::Num(m.Ty / 20.0);
        case 2: return Value::Num(std::hypot(m.A, m.B) * 100.0);
        case 3: return Value::Num(std::hypot(m.C, m.D) * 100.0);
        case 4: return Value::Num(clip ? clip->CurrentFrame() : 1);
        case 5:
        case 12: return Value::Num(clip ? clip->FrameCount() : 1);
        case 6: return Value::Num(obj.Cx.AMul / 2.56);
        case 7: return Value::Boolean(obj.Visible);
        case 10: return Value::Num(std::atan2(m.B, m.A) * 180.0 / std::numbers::pi);
        case 11: {
            std::string path = obj.Path();
            std::string out;
            for (size_t i = 0; i < path.size(); ++i) out += path[i] == '.' ? '/' : path[i];
            return Value::Str(out.size() > 8 ? out.substr(7) : "/");
        }
        case 13: return Value::Str(obj.Name);
        case 16: return Value::Num(1);
        case 19: return Value::Str("HIGH");
        default: return Value::Num(0);
    }
}

void Avm1::SetProperty(DisplayObject& obj, int index, const Value& v) {
    const double n = v.ToNumber(Version());
    swf::Matrix& m = obj.Matrix;
    auto finite = [](double x) { return std::isfinite(x) ? std::clamp(x, -1e7, 1e7) : 0.0; };
    const double sx = std::hypot(m.A, m.B), sy = std::hypot(m.C, m.D);
    const double rot = std::atan2(m.B, m.A);
    auto rebuild = [&](double xs, double ys, double r) {
        const double skew = std::atan2(-m.C, m.D) - rot;  // kept as it was
        m.A = xs * std::cos(r), m.B = xs * std::sin(r);
        m.C = -ys * std::sin(r + skew), m.D = ys * std::cos(r + skew);
    };
    switch (index) {
        case 0: m.Tx = finite(n) * 20.0; break;
        case 1: m.Ty = finite(n) * 20.0; break;
        case 2: rebuild(finite(n) / 100.0, sy, rot); break;
        case 3: rebuild(sx, finite(n) / 100.0, rot); break;
        case 6: obj.Cx.AMul = static_cast<int32_t>(finite(n) * 2.56); break;
        case 7: obj.Visible = v.ToBool(Version()); break;
        case 10: rebuild(sx, sy, finite(n) * std::numbers::pi / 180.0); break;
        case 13: obj.Name = v.ToString(Version()); break;
        default: return;
    }
    obj.Scripted = true;
    movie_.MarkDirty();
}

Value Avm1::GetMember(const Value& obj, const std::string& name) {
    if (obj.Type == Value::Type::String && LowerCase(name) == "length") return Value::Num(obj.String.size());
    if (obj.Type == Value::Type::MathObject) {
        const std::string key = LowerCase(name);
        if (key == "pi") return Value::Num(std::numbers::pi);
        return {};
    }
    if (obj.Type != Value::Type::Clip) return {};
    auto target = obj.Clip.lock();
    if (!target) return {};
    const int prop = PropertyIndex(name);
    if (prop >= 0) return GetProperty(*target, prop);
    Clip* clip = target->AsClip();
    if (!clip) return {};
    auto& vars = clip->Variables();
    auto it = vars.find(LowerCase(name));
    if (it != vars.end()) return it->second;
    if (auto child = clip->ChildNamed(name)) return Value::Of(child);
    return {};
}

void Avm1::SetMember(const Value& obj, const std::string& name, Value v) {
    if (obj.Type != Value::Type::Clip) return;
    auto target = obj.Clip.lock();
    if (!target) return;
    const int prop = PropertyIndex(name);
    if (prop >= 0) {
        SetProperty(*target, prop, v);
        return;
    }
    if (Clip* clip = target->AsClip()) {
        auto& vars = clip->Variables();
        if (vars.size() < 10000 || vars.count(LowerCase(name))) vars[LowerCase(name)] = std::move(v);
        if (movie_.Definition().HasBoundText()) movie_.MarkDirty();  // a field may show it
    }
}

void Avm1::GotoFrame(Clip& clip, const Value& frame, bool play, int bias) {
    if (frame.Type == Value::Type::String) {
        std::string s = frame.String;
        // "clip:frame" names another clip's frame.
        Clip* where = &clip;
        std::shared_ptr<DisplayObject> keep;
        if (const size_t colon = s.rfind(':'); colon != std::string::npos) {
            keep = Resolve(s.substr(0, colon), clip);
            where = keep ? keep->AsClip() : nullptr;
            s = s.substr(colon + 1);
        }
        if (!where) return;
        int number = where->Timeline().FindLabel(s);
        if (!number) {
            char* end = nullptr;
            const double d = std::strtod(s.c_str(), &end);
            if (end == s.c_str() || *end || !std::isfinite(d)) return;
            number = static_cast<int>(std::clamp(d, -1e6, 1e6));
        }
        where->Goto(number + bias, play);
        return;
    }
    const double n = frame.ToNumber(Version());
    if (!std::isfinite(n)) return;
    clip.Goto(static_cast<int>(std::clamp(n, -1e6, 1e6)) + bias, play);
}

Value Avm1::CallMethod(const Value& obj, const std::string& name, const std::vector<Value>& args) {
    const std::string key = LowerCase(name);
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : Value{}; };
    if (obj.Type == Value::Type::MathObject) {
        const double a = arg(0).ToNumber(Version()), b = arg(1).ToNumber(Version());
        if (key == "random") return Value::Num(std::uniform_real_distribution<double>(0, 1)(Random()));
        if (key == "floor") return Value::Num(std::floor(a));
        if (key == "ceil") return Value::Num(std::ceil(a));
        if (key == "round") return Value::Num(std::floor(a + 0.5));
        if (key == "abs") return Value::Num(std::fabs(a));
        if (key == "min") return Value::Num(std::min(a, b));
        if (key == "max") return Value::Num(std::max(a, b));
        if (key == "sin") return Value::Num(std::sin(a));
        if (key == "cos") return Value::Num(std::cos(a));
        if (key == "atan2") return Value::Num(std::atan2(a, b));
        if (key == "sqrt") return Value::Num(std::sqrt(a));
        if (key == "pow") return Value::Num(std::pow(a, b));
        return {};
    }
    if (obj.Type == Value::Type::String) {
        if (key == "charat") {
            const double i = arg(0).ToNumber(Version());
            if (i >= 0 && i < obj.String.size()) return Value::Str(obj.String.substr(static_cast<size_t>(i), 1));
            return Value::Str("");
        }
        if (key == "touppercase" || key == "tolowercase") {
            std::string s = obj.String;
            for (char& c : s)
                c = static_cast<char>(key == "touppercase" ? std::toupper(static_cast<unsigned char>(c))
                                                           : std::tolower(static_cast<unsigned char>(c)));
            return Value::Str(s);
        }
        return {};
    }
    if (obj.Type == Value::Type::ColorObject) {
        // The tint of the clip it holds: setRGB paints it one colour,
        // keeping its alpha; getRGB reads the added colour back.
        auto target = obj.Clip.lock();
        if (!target) return {};
        swf::ColorTransform& cx = target->Cx;
        if (key == "setrgb") {
            const double n = arg(0).ToNumber(Version());
            const uint32_t rgb = std::isfinite(n) ? static_cast<uint32_t>(static_cast<int64_t>(n)) & 0xFFFFFF : 0;
            cx.RMul = cx.GMul = cx.BMul = 0;
            cx.RAdd = static_cast<int32_t>(rgb >> 16), cx.GAdd = static_cast<int32_t>(rgb >> 8 & 0xFF);
            cx.BAdd = static_cast<int32_t>(rgb & 0xFF);
            target->Scripted = true;
            movie_.MarkDirty();
        } else if (key == "getrgb") {
            return Value::Num(static_cast<double>((std::clamp(cx.RAdd, 0, 255) << 16) | (std::clamp(cx.GAdd, 0, 255) << 8) |
                                                  std::clamp(cx.BAdd, 0, 255)));
        }
        return {};
    }
    if (obj.Type != Value::Type::Clip) return {};
    auto target = obj.Clip.lock();
    Clip* clip = target ? target->AsClip() : nullptr;
    if (!clip) return {};
    // Clips made and removed by scripts; script depths count from 0 where
    // the timeline's end.
    auto scriptDepth = [&](const Value& d) {
        const double n = d.ToNumber(Version());
        return std::isfinite(n) ? static_cast<int>(std::clamp(n, -1.0, 1048575.0)) + Clip::kScriptDepths : -1;
    };
    if (key == "duplicatemovieclip") {
        if (!clip->Parent) return {};
        return Value::Of(clip->Parent->Duplicate(*clip, arg(0).ToString(Version()), scriptDepth(arg(1))));
    }
    if (key == "attachmovie") {
        const uint16_t id = movie_.Definition().FindExport(arg(0).ToString(Version()));
        if (!id) return {};
        return Value::Of(clip->Attach(id, arg(1).ToString(Version()), scriptDepth(arg(2))));
    }
    if (key == "removemovieclip") {
        if (clip->Parent) clip->Parent->RemoveScripted(*clip);
        return {};
    }
    if (key == "getdepth") return Value::Num(clip->Depth - Clip::kScriptDepths);
    if (key == "play") clip->SetPlaying(true);
    else if (key == "stop") clip->SetPlaying(false);
    else if (key == "gotoandplay") GotoFrame(*clip, arg(0), true);
    else if (key == "gotoandstop") GotoFrame(*clip, arg(0), false);
    else if (key == "nextframe") clip->Goto(clip->CurrentFrame() + 1, false);
    else if (key == "prevframe") clip->Goto(clip->CurrentFrame() - 1, false);
    else if (key == "getbytesloaded" || key == "getbytestotal")
        return Value::Num(static_cast<double>(movie_.Definition().File().Bytes.size()));
    return {};
}

void Avm1::Run(Clip& clip, std::span<const uint8_t> code) {
    Frame f;
    f.Code = code;
    f.Base = clip.shared_from_this();
    f.Target = f.Base;
    stack_.clear();
    constants_.reset();
    Execute(f);
}

void Avm1::Execute(Frame& f) {
    Frame* const outer = current_;
    current_ = &f;
    const std::span<const uint8_t> code = f.Code;
    for (int steps = 0; f.Pc < code.size() && steps < kMaxStepsPerRun && movie_.TakeScriptStep(); ++steps) {
        const uint8_t op = code[f.Pc++];
        if (op == 0) break;
        std::span<const uint8_t> data;
        if (op & 0x80) {
            if (f.Pc + 2 > code.size()) break;
            const size_t len = code[f.Pc] | code[f.Pc + 1] << 8;
            f.Pc += 2;
            if (f.Pc + len > code.size()) break;
            data = code.subspan(f.Pc, len);
            f.Pc += len;
        }
        Step(f, op, data);
    }
    current_ = outer;
}

void Avm1::DefineFunction(Frame& f, bool second, swf::Reader& r, Clip& scope) {
    auto fn = std::make_shared<ScriptFunction>();
    const std::string name = r.String();
    const uint16_t params = r.U16();
    if (second) {
        fn->OwnRegisters = true;
        fn->RegisterCount = r.U8();
        fn->Preload = r.U16();
    }
    for (uint16_t i = 0; i < params && !r.AtEnd(); ++i) {
        fn->ParamRegisters.push_back(second ? r.U8() : 0);
        fn->Params.push_back(LowerCase(r.String()));
    }
    // The body follows the definition in the stream, whatever happens: it
    // must never run where it was written.
    const size_t size = std::min<size_t>(r.U16(), f.Code.size() - f.Pc);
    if (r.Overrun()) return;
    fn->Code.assign(f.Code.begin() + static_cast<std::ptrdiff_t>(f.Pc),
                    f.Code.begin() + static_cast<std::ptrdiff_t>(f.Pc + size));
    f.Pc += size;
    fn->Constants = constants_;
    fn->Home = f.Base;
    Value value = Value::Fn(std::move(fn));
    if (name.empty()) Push(std::move(value));
    else if (f.InFunction) f.Locals.emplace_back(LowerCase(name), std::move(value));
    else SetVariable(name, std::move(value), scope);
}

Value Avm1::Invoke(const ScriptFunction& fn, const Value& self, const std::vector<Value>& args) {
    if (depth_ >= kMaxCallDepth) return {};
    std::shared_ptr<DisplayObject> home = fn.Home.lock();
    if (!home) home = movie_.Root().shared_from_this();
    Frame f;
    f.Code = fn.Code;
    f.Base = home;
    f.Target = home;
    f.InFunction = true;
    f.This = self.Type == Value::Type::Undefined ? Value::Of(home) : self;
    if (fn.OwnRegisters) {
        f.OwnRegisters = true;
        f.Registers.resize(std::max<size_t>(fn.RegisterCount, 1));
        // What the flags ask for fills the registers from 1, in this order.
        size_t next = 1;
        auto preload = [&](Value v) {
            if (next < f.Registers.size()) f.Registers[next] = std::move(v);
            ++next;
        };
        const uint16_t p = fn.Preload;
        Clip* homeClip = home->AsClip();
        enum : uint16_t { kThis = 0x01, kArguments = 0x04, kSuper = 0x10, kRoot = 0x40, kParent = 0x80, kGlobal = 0x100 };
        if (p & kThis) preload(f.This);
        if (p & kArguments) preload({});  // no array objects here
        if (p & kSuper) preload({});
        if (p & kRoot) preload(Value::Of(movie_.Root().shared_from_this()));
        if (p & kParent) preload(Value::Of(homeClip && homeClip->Parent ? homeClip->Parent->shared_from_this() : nullptr));
        if (p & kGlobal) preload({});
    }
    for (size_t i = 0; i < fn.Params.size(); ++i) {
        Value arg = i < args.size() ? args[i] : Value{};
        const uint8_t reg = fn.ParamRegisters[i];
        if (reg && fn.OwnRegisters) {
            if (reg < f.Registers.size()) f.Registers[reg] = std::move(arg);
        } else {
            f.Locals.emplace_back(fn.Params[i], std::move(arg));
        }
    }
    // The body sees the pool it was written with, and a stack of its own
    // that leaves the caller's as it was.
    std::shared_ptr<const std::vector<std::string>> callerConstants = std::move(constants_);
    constants_ = fn.Constants;
    std::vector<Value> callerStack = std::move(stack_);
    stack_.clear();
    ++depth_;
    Execute(f);
    --depth_;
    constants_ = std::move(callerConstants);
    stack_ = std::move(callerStack);
    return std::move(f.Return);
}

void Avm1::Step(Frame& f, uint8_t op, std::span<const uint8_t> data) {
    const int v = Version();
    Clip& base = *f.Base->AsClip();
    Clip* target = f.TargetClip();
    Clip& scope = target ? *target : base;
    auto num = [&](const Value& x) { return x.ToNumber(v); };
    auto binary = [&](auto fn) {
        const Value b = Pop(), a = Pop();
        Push(fn(a, b));
    };
    swf::Reader r(data);
    switch (op) {
        // Timeline commands on the current target.
        case 0x04: if (target) target->Goto(target->CurrentFrame() + 1, false); break;
        case 0x05: if (target) target->Goto(target->CurrentFrame() - 1, false); break;
        case 0x06: if (target) target->SetPlaying(true); break;
        case 0x07: if (target) target->SetPlaying(false); break;
        case 0x81: if (target) target->Goto(r.U16() + 1, false); break;
        case 0x8C: if (target) GotoFrame(*target, Value::Str(r.String()), false); break;
        case 0x9F: {  // gotoFrame2
            const uint8_t flags = r.U8();
            const int bias = (flags & 0x02) ? r.U16() : 0;
            const Value frame = Pop();
            if (target) GotoFrame(*target, frame, flags & 0x01, bias);
            break;
        }
        case 0x8B: {  // setTarget
            const std::string path = r.String();
            f.Target = path.empty() ? f.Base : Resolve(path, base);
            break;
        }
        case 0x20: {  // setTarget2
            const Value t = Pop();
            if (t.Type == Value::Type::Clip) f.Target = t.Clip.lock();
            else {
                const std::string path = t.ToString(v);
                f.Target = path.empty() ? f.Base : Resolve(path, base);
            }
            break;
        }
        case 0x8A: r.U16(); break;  // waitForFrame: every frame is loaded
        case 0x8D: Pop(); break;    // waitForFrame2
        case 0x09: movie_.StopSounds(); break;
        case 0x08: case 0x83: case 0x9A: break;  // quality, URLs

        // The stack machine.
        case 0x96:  // push
            while (!r.AtEnd() && !r.Overrun()) {
                const uint8_t type = r.U8();
                switch (type) {
                    case 0: Push(Value::Str(r.String())); break;
                    case 1: Push(Value::Num(r.F32())); break;
                    case 2: Push(Value::Null()); break;
                    case 3: Push({}); break;
                    case 4: { const Value* reg = Register(f, r.U8()); Push(reg ? *reg : Value{}); break; }
                    case 5: Push(Value::Boolean(r.U8() != 0)); break;
                    case 6: Push(Value::Num(r.F64())); break;
                    case 7: Push(Value::Num(r.S32())); break;
                    case 8:
                    case 9: {
                        const size_t i = type == 8 ? r.U8() : r.U16();
                        Push(constants_ && i < constants_->size() ? Value::Str((*constants_)[i]) : Value{});
                        break;
                    }
                    default: return;
                }
            }
            break;
        case 0x88: {  // constantPool
            auto pool = std::make_shared<std::vector<std::string>>();
            const uint16_t n = r.U16();
            for (uint16_t i = 0; i < n && !r.AtEnd(); ++i) pool->push_back(r.String());
            constants_ = std::move(pool);
            break;
        }
        case 0x17: Pop(); break;
        case 0x4C: { Value t = stack_.empty() ? Value{} : stack_.back(); Push(t); break; }
        case 0x4D: { Value b = Pop(), a = Pop(); Push(b); Push(a); break; }
        case 0x87: {  // storeRegister
            if (Value* reg = Register(f, r.U8())) *reg = stack_.empty() ? Value{} : stack_.back();
            break;
        }
        case 0x99: {  // jump
            const int16_t off = r.S16();
            const int64_t to = static_cast<int64_t>(f.Pc) + off;
            f.Pc = to < 0 ? f.Code.size() : static_cast<size_t>(to);
            break;
        }
        case 0x9D: {  // if
            const int16_t off = r.S16();
            if (Pop().ToBool(v)) {
                const int64_t to = static_cast<int64_t>(f.Pc) + off;
                f.Pc = to < 0 ? f.Code.size() : static_cast<size_t>(to);
            }
            break;
        }
        case 0x9E: Pop(); break;  // call (a frame's script): not run

        case 0x0A: binary([&](const Value& a, const Value& b) { return Value::Num(num(a) + num(b)); }); break;
        case 0x0B: binary([&](const Value& a, const Value& b) { return Value::Num(num(a) - num(b)); }); break;
        case 0x0C: binary([&](const Value& a, const Value& b) { return Value::Num(num(a) * num(b)); }); break;
        case 0x0D:
            binary([&](const Value& a, const Value& b) {
                const double d = num(b);
                if (d == 0 && v < 5) return Value::Str("#ERROR#");
                return Value::Num(num(a) / d);
            });
            break;
        case 0x3F: binary([&](const Value& a, const Value& b) { return Value::Num(std::fmod(num(a), num(b))); }); break;
        case 0x0E: binary([&](const Value& a, const Value& b) { return Value::Boolean(num(a) == num(b)); }); break;
        case 0x0F: binary([&](const Value& a, const Value& b) { return Value::Boolean(num(a) < num(b)); }); break;
        case 0x10: binary([&](const Value& a, const Value& b) { return Value::Boolean(a.ToBool(v) && b.ToBool(v)); }); break;
        case 0x11: binary([&](const Value& a, const Value& b) { return Value::Boolean(a.ToBool(v) || b.ToBool(v)); }); break;
        case 0x12: Push(Value::Boolean(!Pop().ToBool(v))); break;
        case 0x13: binary([&](const Value& a, const Value& b) { return Value::Boolean(a.ToString(v) == b.ToString(v)); }); break;
        case 0x29: binary([&](const Value& a, const Value& b) { return Value::Boolean(a.ToString(v) < b.ToString(v)); }); break;
        case 0x14: case 0x31: Push(Value::Num(static_cast<double>(Pop().ToString(v).size()))); break;
        case 0x21: binary([&](const Value& a, const Value& b) { return Value::Str(a.ToString(v) + b.ToString(v)); }); break;
        case 0x15: case 0x35: {  // substring
            const double count = num(Pop()), index = num(Pop());
            const std::string s = Pop().ToString(v);
            if (!std::isfinite(index) || !std::isfinite(count)) { Push(Value::Str("")); break; }
            const size_t at = static_cast<size_t>(std::clamp(index - 1, 0.0, static_cast<double>(s.size())));
            const size_t n = count < 0 ? s.size() : static_cast<size_t>(std::min(count, 1e9));
            Push(Value::Str(s.substr(at, n)));
            break;
        }
        case 0x18: { const double d = num(Pop()); Push(Value::Num(std::isfinite(d) ? std::trunc(d) : 0)); break; }
        case 0x30: {  // random(n)
            const double n = num(Pop());
            const int top = std::isfinite(n) ? static_cast<int>(std::clamp(n, 0.0, 2e9)) : 0;
            Push(Value::Num(top > 0 ? std::uniform_int_distribution<int>(0, top - 1)(Random()) : 0));
            break;
        }
        case 0x34: {  // getTime
            const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
            Push(Value::Num(static_cast<double>(static_cast<uint64_t>(now) - movie_.StartMillis())));
            break;
        }
        case 0x26: movie_.Trace(Pop().ToString(v)); break;
        case 0x47:  // add2: strings join, numbers add
            binary([&](const Value& a, const Value& b) {
                if (a.Type == Value::Type::String || b.Type == Value::Type::String)
                    return Value::Str(a.ToString(v) + b.ToString(v));
                return Value::Num(num(a) + num(b));
            });
            break;
        case 0x48: case 0x67: {  // less2, greater
            Value b = Pop(), a = Pop();
            if (op == 0x67) std::swap(a, b);
            if (a.Type == Value::Type::String && b.Type == Value::Type::String) Push(Value::Boolean(a.String < b.String));
            else {
                const double x = num(a), y = num(b);
                Push(std::isnan(x) || std::isnan(y) ? Value{} : Value::Boolean(x < y));
            }
            break;
        }
        case 0x49: case 0x66: {  // equals2, strictEquals
            const Value b = Pop(), a = Pop();
            bool eq;
            const bool nullish = (a.Type == Value::Type::Undefined || a.Type == Value::Type::Null) &&
                                 (b.Type == Value::Type::Undefined || b.Type == Value::Type::Null);
            if (a.Type == b.Type || (op == 0x49 && nullish)) {
                switch (a.Type) {
                    case Value::Type::Number: eq = a.Number == b.Number; break;
                    case Value::Type::String: eq = a.String == b.String; break;
                    case Value::Type::Bool: eq = a.Bool == b.Bool; break;
                    case Value::Type::Clip: eq = a.Clip.lock() == b.Clip.lock(); break;
                    case Value::Type::Function: eq = a.Function == b.Function; break;
                    default: eq = a.Type == b.Type || nullish; break;
                }
            } else if (op == 0x66 || a.Type == Value::Type::Undefined || a.Type == Value::Type::Null ||
                       b.Type == Value::Type::Undefined || b.Type == Value::Type::Null) {
                eq = false;
            } else {
                eq = num(a) == num(b);
            }
            Push(Value::Boolean(eq));
            break;
        }
        case 0x50: Push(Value::Num(num(Pop()) + 1)); break;
        case 0x51: Push(Value::Num(num(Pop()) - 1)); break;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            const double b = num(Pop()), a = num(Pop());
            auto i32 = [](double d) -> int32_t {
                return std::isfinite(d) ? static_cast<int32_t>(static_cast<int64_t>(std::fmod(std::trunc(d), 4294967296.0))) : 0;
            };
            const int32_t x = i32(a), y = i32(b);
            double out = 0;
            switch (op) {
                case 0x60: out = x & y; break;
                case 0x61: out = x | y; break;
                case 0x62: out = x ^ y; break;
                case 0x63: out = static_cast<int32_t>(static_cast<uint32_t>(x) << (y & 31)); break;
                case 0x64: out = x >> (y & 31); break;
                default: out = static_cast<uint32_t>(x) >> (y & 31); break;
            }
            Push(Value::Num(out));
            break;
        }
        case 0x44: {  // typeof
            const Value a = Pop();
            const char* t = "undefined";
            switch (a.Type) {
                case Value::Type::Number: t = "number"; break;
                case Value::Type::String: t = "string"; break;
                case Value::Type::Bool: t = "boolean"; break;
                case Value::Type::Null: t = "null"; break;
                case Value::Type::Clip: t = "movieclip"; break;
                case Value::Type::MathObject: t = "object"; break;
                case Value::Type::Function: t = "function"; break;
                default: break;
            }
            Push(Value::Str(t));
            break;
        }
        case 0x4A: Push(Value::Num(num(Pop()))); break;                 // toNumber
        case 0x4B: Push(Value::Str(Pop().ToString(v))); break;         // toString

        // Variables, properties, members, calls.
        case 0x1C: { const std::string name = Pop().ToString(v); Push(GetVariable(name, scope)); break; }
        case 0x1D: case 0x3C: case 0x41: {  // setVariable, defineLocal, defineLocal2
            Value value = op == 0x41 ? Value{} : Pop();
            const std::string name = Pop().ToString(v);
            if (op != 0x1D && f.InFunction) {
                if (Value* local = Local(name)) {
                    if (op == 0x3C) *local = std::move(value);
                } else {
                    f.Locals.emplace_back(LowerCase(name), std::move(value));
                }
                break;
            }
            if (op == 0x41 && GetVariable(name, scope).Type != Value::Type::Undefined) break;
            SetVariable(name, std::move(value), scope);
            break;
        }
        case 0x9B: DefineFunction(f, false, r, scope); break;
        case 0x8E: DefineFunction(f, true, r, scope); break;
        case 0x22: {  // getProperty
            const int index = PropertyNumber(num(Pop()));
            const std::string path = Pop().ToString(v);
            auto obj = Resolve(path, scope);
            Push(obj ? GetProperty(*obj, index) : Value{});
            break;
        }
        case 0x23: {  // setProperty
            const Value value = Pop();
            const int index = PropertyNumber(num(Pop()));
            const std::string path = Pop().ToString(v);
            if (auto obj = Resolve(path, scope)) SetProperty(*obj, index, value);
            break;
        }
        case 0x4E: {  // getMember
            const std::string name = Pop().ToString(v);
            const Value obj = Pop();
            Push(GetMember(obj, name));
            break;
        }
        case 0x4F: {  // setMember
            Value value = Pop();
            const std::string name = Pop().ToString(v);
            const Value obj = Pop();
            SetMember(obj, name, std::move(value));
            break;
        }
        case 0x52: {  // callMethod
            const std::string name = Pop().ToString(v);
            const Value obj = Pop();
            const double n = num(Pop());
            std::vector<Value> args;
            for (int i = 0; i < n && i < 256 && !stack_.empty(); ++i) args.push_back(Pop());
            const Value callee = name.empty() ? obj : GetMember(obj, name);
            if (callee.Type == Value::Type::Function) Push(Invoke(*callee.Function, name.empty() ? Value{} : obj, args));
            else Push(CallMethod(obj, name, args));
            break;
        }
        case 0x3D: {  // callFunction: the script's own, or a clip method called bare
            const std::string name = Pop().ToString(v);
            const double n = num(Pop());
            std::vector<Value> args;
            for (int i = 0; i < n && i < 256 && !stack_.empty(); ++i) args.push_back(Pop());
            const Value callee = GetVariable(name, scope);
            if (callee.Type == Value::Type::Function) Push(Invoke(*callee.Function, {}, args));
            else Push(CallMethod(Value::Of(scope.shared_from_this()), name, args));
            break;
        }
        case 0x40: {  // new: only Color objects are made here
            const std::string name = Pop().ToString(v);
            const double n = num(Pop());
            std::vector<Value> args;
            for (int i = 0; i < n && i < 256 && !stack_.empty(); ++i) args.push_back(Pop());
            Value made;
            if (LowerCase(name) == "color" && !args.empty()) {
                // The clip given as itself or by its path.
                const Value& which = args[0];
                std::shared_ptr<DisplayObject> target =
                    which.Type == Value::Type::Clip ? which.Clip.lock() : Resolve(which.ToString(v), scope);
                if (target) {
                    made.Type = Value::Type::ColorObject;
                    made.Clip = target;
                }
            }
            Push(std::move(made));
            break;
        }
        case 0x24: {  // cloneSprite: duplicateMovieClip(source, name, depth)
            const Value depth = Pop();
            const std::string name = Pop().ToString(v);
            const auto source = Resolve(Pop().ToString(v), scope);
            if (source) CallMethod(Value::Of(source), "duplicateMovieClip", {Value::Str(name), depth});
            break;
        }
        case 0x25: {  // removeSprite
            const auto target = Resolve(Pop().ToString(v), scope);
            if (target && target->Parent) target->Parent->RemoveScripted(*target);
            break;
        }
        case 0x3E:  // return
            f.Return = Pop();
            f.Pc = f.Code.size();
            break;
        default:
            break;  // unknown or unsupported: skipped
    }
}

}  // namespace qb::movie
