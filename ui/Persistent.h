#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb::ui {

class Persistent;

// What a published property holds; text is only ever written to the string
// kinds, fonts and lists only to object properties.
enum class PropKind { String, Char, Integer, Boolean, Enumeration, Object };

struct PropInfo {
    PropInfo(std::string n, PropKind k) : name(std::move(n)), kind(k) {}
    std::string name;
    PropKind kind;
    std::function<std::string(Persistent&)> getString;          // String, Char
    std::function<void(Persistent&, const std::string&)> setString;
    std::function<long long(Persistent&)> getInt;               // Integer, Boolean, Enumeration
    std::function<void(Persistent&, long long)> setInt;
    std::function<Persistent*(Persistent&)> getObject;          // Object
    std::function<void(Persistent&, Persistent*)> setObject;
    std::vector<std::string> enumNames;                         // Enumeration: value i is enumNames[i]
};

// The published face of a class: its name, its base class and the properties
// it adds. One instance per class, built on first use.
class ClassInfo {
public:
    ClassInfo(std::string name, const ClassInfo* parent) : name_(std::move(name)), parent_(parent) {}

    const std::string& Name() const { return name_; }
    const ClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const ClassInfo& other) const;
    // Case-insensitive, the class's own properties first, then its bases'.
    const PropInfo* Find(std::string_view name) const;
    const std::vector<PropInfo>& Own() const { return props_; }

    ClassInfo& Add(PropInfo p) {
        props_.push_back(std::move(p));
        return *this;
    }

private:
    std::string name_;
    const ClassInfo* parent_;
    std::vector<PropInfo> props_;
};

// Builds a class's property table with typed accessors: T is the class, the
// member functions are its getters and setters.
template <class T>
class Published {
public:
    explicit Published(ClassInfo& info) : info_(info) {}

    template <class G, class S>
    Published& String(std::string name, G get, S set) {
        PropInfo p{std::move(name), PropKind::String};
        p.getString = [get](Persistent& o) { return std::string((static_cast<T&>(o).*get)()); };
        p.setString = [set](Persistent& o, const std::string& v) { (static_cast<T&>(o).*set)(v); };
        info_.Add(std::move(p));
        return *this;
    }
    template <class G, class S>
    Published& Char(std::string name, G get, S set) {
        PropInfo p{std::move(name), PropKind::Char};
        p.getString = [get](Persistent& o) { return std::string(1, (static_cast<T&>(o).*get)()); };
        p.setString = [set](Persistent& o, const std::string& v) {
            if (!v.empty()) (static_cast<T&>(o).*set)(v[0]);
        };
        info_.Add(std::move(p));
        return *this;
    }
    template <class G, class S>
    Published& Integer(std::string name, G get, S set, PropKind kind = PropKind::Integer) {
        info_.Add(IntegerInfo(std::move(name), get, set, kind));
        return *this;
    }
    template <class G, class S>
    Published& Boolean(std::string name, G get, S set) {
        return Integer(std::move(name), get, set, PropKind::Boolean);
    }
    template <class G, class S>
    Published& Enumeration(std::string name, G get, S set, std::vector<std::string> names) {
        PropInfo p = IntegerInfo(std::move(name), get, set, PropKind::Enumeration);
        p.enumNames = std::move(names);
        info_.Add(std::move(p));
        return *this;
    }
    // An object the instance owns (a font, a list): readable, never replaced.
    template <class G>
    Published& Object(std::string name, G get) {
        PropInfo p{std::move(name), PropKind::Object};
        p.getObject = [get](Persistent& o) -> Persistent* { return &(static_cast<T&>(o).*get)(); };
        info_.Add(std::move(p));
        return *this;
    }
    // A reference to another object (an image list, a menu), may be null.
    template <class G, class S>
    Published& Reference(std::string name, G get, S set) {
        PropInfo p{std::move(name), PropKind::Object};
        p.getObject = [get](Persistent& o) -> Persistent* { return (static_cast<T&>(o).*get)(); };
        p.setObject = [set](Persistent& o, Persistent* v) {
            using Ptr = decltype((static_cast<T&>(o).*get)());
            (static_cast<T&>(o).*set)(dynamic_cast<Ptr>(v));
        };
        info_.Add(std::move(p));
        return *this;
    }

private:
    template <class G, class S>
    static PropInfo IntegerInfo(std::string name, G get, S set, PropKind kind) {
        PropInfo p{std::move(name), kind};
        p.getInt = [get](Persistent& o) { return (long long)(static_cast<T&>(o).*get)(); };
        p.setInt = [set](Persistent& o, long long v) {
            using Arg = decltype((static_cast<T&>(o).*get)());
            (static_cast<T&>(o).*set)(static_cast<std::remove_cvref_t<Arg>>(v));
        };
        return p;
    }
    ClassInfo& info_;
};

// Base of everything with published properties. Copying one object to
// another goes through Assign, which asks the source (AssignTo) when the
// destination does not know the source's class.
class Persistent {
public:
    virtual ~Persistent() = default;
    static const ClassInfo& StaticClass();
    virtual const ClassInfo& Class() const { return StaticClass(); }
    const std::string& ClassName() const { return Class().Name(); }

    // Assign(src): becomes a copy of src. The default hands over to the
    // source; a class that cannot take the source from either side does nothing.
    virtual void Assign(const Persistent& source) { source.AssignTo(*this); }

    const PropInfo* FindProperty(std::string_view name) const { return Class().Find(name); }

protected:
    virtual void AssignTo(Persistent& /*dest*/) const {}
};

// Declares the per-class property table. In the class: QB_CLASS(Name, Base);
// in the .cpp: QB_CLASS_INFO(Name, Base) { Published<Name>(info)...; }
#define QB_CLASS(Name)                                    \
public:                                                   \
    static const ::qb::ui::ClassInfo& StaticClass();      \
    const ::qb::ui::ClassInfo& Class() const override { return StaticClass(); }

#define QB_CLASS_INFO(Name, Base)                                          \
    static void Name##_Describe(::qb::ui::ClassInfo& info);                \
    const ::qb::ui::ClassInfo& Name::StaticClass() {                       \
        static const ::qb::ui::ClassInfo& c = [] () -> ::qb::ui::ClassInfo& { \
            static ::qb::ui::ClassInfo i(#Name, &Base::StaticClass());     \
            Name##_Describe(i);                                            \
            return i;                                                      \
        }();                                                               \
        return c;                                                          \
    }                                                                      \
    static void Name##_Describe([[maybe_unused]] ::qb::ui::ClassInfo& info)

}  // namespace qb::ui
