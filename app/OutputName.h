// The extension rule of single-file saves: a name without a dot four characters from
// its end gets the extension; any other name is kept, whatever its extension.
#pragma once

#include <string>

std::string ApplyOutputName(const std::string& name, const std::string& extension);
