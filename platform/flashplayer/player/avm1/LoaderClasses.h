// Loading into clips from scripts: the MovieClip methods loadMovie and unloadMovie,
// the global loadMovieNum and unloadMovieNum, and the MovieClipLoader class with its
// listeners.
#pragma once

#include "Value.h"

namespace flash::avm1 {

void installLoaderMethods(Object& clipMethods);
void installLoaderClasses(Object& global);

}  // namespace flash::avm1
