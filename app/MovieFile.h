// Whether a file is a movie the Flash pages can play, told before the player gets it.
#pragma once

#include <optional>
#include <string>

// Why the file at `path` is not a playable SWF or FLV ("the file is empty", "a PNG
// picture, not a movie", ...), or nothing when it is one. A movie damaged further on
// is still a movie: it plays what it can.
std::optional<std::string> WhyNotAFlashMovie(const std::string& path);

// The refusal as the program says it: "PATH: not a Flash movie (why)".
std::string NotAFlashMovieMessage(const std::string& path, const std::string& why);
