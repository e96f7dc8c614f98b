#pragma once
#include "flash/movie/DisplayObject.h"
#include "flash/movie/EditText.h"

#include <string>

namespace qb::movie {

class Movie;

// What a placed text field shows: the value of the variable it is bound to
// ("score", "_root.score", "/game:score") once the movie's scripts set it,
// its initial text until then.
std::string FieldText(const DisplayObject& field, const EditTextDef& def, const Movie& movie);

}  // namespace qb::movie
