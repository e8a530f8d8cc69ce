// The program's embedded resources (the playback movie, its skins, the volume movie),
// found by name without regard to case. The resources/ folder registers them at start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sf_resources {

void Register(const std::string& name, std::vector<uint8_t> bytes);
// The bytes of a resource, or null when the program has none of that name.
const std::vector<uint8_t>* Find(const std::string& name);

} // namespace sf_resources
