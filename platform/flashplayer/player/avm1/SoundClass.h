// The Sound class of scripts: new Sound(target) controls the sounds of a clip (and
// the clips inside it), new Sound() all the movie's sounds. The player keeps the
// state behind each object and plays through its mixer.
#pragma once

#include "Value.h"

namespace flash::avm1 {

void installSoundClass(Object& global);

}  // namespace flash::avm1
