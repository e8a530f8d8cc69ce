// URLs of the media a movie loads: resolved against the movie's own URL, and turned
// into local file paths where they name one.
#pragma once

#include <optional>
#include <string>

namespace flash {

// `url` as seen from a movie at `base`: URLs with a scheme and absolute paths stay as
// they are (an absolute path under a non-file base takes the base's scheme and host);
// relative paths replace the last segment of the base. An empty base keeps `url`.
std::string resolveMediaUrl(const std::string& base, const std::string& url);

// The local file a URL names: "file:///a/b" or "/a/b"; relative paths stay relative.
// Nothing for URLs of other schemes.
std::optional<std::string> localPathOf(const std::string& url);

}  // namespace flash
