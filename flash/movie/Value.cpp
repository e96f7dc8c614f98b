#include "flash/movie/Value.h"

#include "flash/movie/DisplayObject.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace qb::movie {

std::string NumberToString(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return v == 0 ? "0" : buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

double Value::ToNumber(int version) const {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    switch (Type) {
        case Type::Number: return Number;
        case Type::Bool: return Bool ? 1 : 0;
        case Type::String: {
            if (String.empty()) return version >= 5 ? nan : 0;
            char* end = nullptr;
            const double v = std::strtod(String.c_str(), &end);
            while (end && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')) ++end;
            if (end == String.c_str() || (end && *end)) return version >= 5 ? nan : 0;
            return v;
        }
        case Type::Undefined:
        case Type::Null: return version >= 7 ? nan : 0;
        default: return nan;
    }
}

std::string Value::ToString(int version) const {
    switch (Type) {
        case Type::Undefined: return version >= 7 ? "undefined" : "";
        case Type::Null: return "null";
        case Type::Bool: return Bool ? "true" : "false";
        case Type::Number: return NumberToString(Number);
        case Type::String: return String;
        case Type::Clip: {
            auto obj = Clip.lock();
            return obj ? obj->Path() : "";
        }
        case Type::MathObject: return "[object Object]";
        case Type::Function: return "[type Function]";
    }
    return "";
}

bool Value::ToBool(int version) const {
    switch (Type) {
        case Type::Bool: return Bool;
        case Type::Number: return Number != 0 && !std::isnan(Number);
        case Type::String:
            if (version >= 7) return !String.empty();
            {
                const double v = ToNumber(version);
                return v != 0 && !std::isnan(v);
            }
        case Type::Clip: return !Clip.expired();
        case Type::MathObject:
        case Type::Function: return true;
        default: return false;
    }
}

}  // namespace qb::movie
