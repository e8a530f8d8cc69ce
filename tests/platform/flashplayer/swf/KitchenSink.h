// A movie model that uses every record kind and flag the writer supports, for
// round-trip tests and as a seed for the fuzzer.
#pragma once

#include "swf/Movie.h"

namespace swftest {

swf::Movie kitchenSinkMovie();

} // namespace swftest
