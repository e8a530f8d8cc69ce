#include "sf_resources.h"

#include "sf_utils.h"

#include <map>

namespace sf_resources {
namespace {

std::map<std::string, std::vector<uint8_t>>& table()
{
    static std::map<std::string, std::vector<uint8_t>> resources;
    return resources;
}

} // namespace

void Register(const std::string& name, std::vector<uint8_t> bytes) { table()[sf_utils::Lower(name)] = std::move(bytes); }

const std::vector<uint8_t>* Find(const std::string& name)
{
    auto it = table().find(sf_utils::Lower(name));
    return it == table().end() ? nullptr : &it->second;
}

} // namespace sf_resources
