#include "flash/movie/FieldText.h"

#include "flash/movie/LowerCase.h"
#include "flash/movie/Movie.h"

namespace qb::movie {

std::string FieldText(const DisplayObject& field, const EditTextDef& def, const Movie& movie) {
    if (def.VariableName.empty() || !field.Parent) return def.InitialText;
    std::string name = def.VariableName;
    Clip* owner = field.Parent;
    std::shared_ptr<DisplayObject> keep;
    if (const size_t cut = name.find_last_of(":."); cut != std::string::npos) {
        // Resolving reads the stage and changes nothing.
        keep = ResolvePath(name.substr(0, cut), *field.Parent, const_cast<Clip&>(movie.Root()));
        owner = keep ? keep->AsClip() : nullptr;
        name = name.substr(cut + 1);
    }
    if (!owner) return def.InitialText;
    const auto& vars = owner->Variables();
    auto it = vars.find(LowerCase(name));
    if (it == vars.end() || it->second.Type == Value::Type::Undefined) return def.InitialText;
    return it->second.ToString(movie.Version());
}

}  // namespace qb::movie
