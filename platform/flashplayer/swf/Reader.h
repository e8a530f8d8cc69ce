// Reading SWF files (FWS, CWS/zlib, ZWS/LZMA) into a Movie.
#pragma once

#include "swf/Limits.h"
#include "swf/Movie.h"
#include "swf/Result.h"

#include <cstdint>
#include <span>
#include <string>

namespace swf {

// Parses a whole file. A file whose header cannot be read fails; a file that
// breaks later yields the frames completed before the damage, with
// Movie::truncated set and the reason in Movie::warnings. Unknown tags and
// ActionScript 3 tags are skipped.
Result<Movie> readMovie(std::span<const std::uint8_t> file, const Limits& limits = {});

// Reads a file from disk (size checked against limits before loading).
Result<Movie> readMovieFile(const std::string& path, const Limits& limits = {});

// Signature, version and (for the uncompressed part) the length of a file, plus
// the stage rectangle, rate and frame count, without reading tags.
Result<Header> readHeader(std::span<const std::uint8_t> file, const Limits& limits = {});

// Every tag code used in the file, sprites' tags included, sorted and unique
// (a quick census for tools and tests; nothing is parsed beyond tag headers).
Result<std::vector<std::uint16_t>> listTagCodes(std::span<const std::uint8_t> file, const Limits& limits = {});

// Inflates the body behind the 8-byte signature/version/length prefix; the result
// starts with the stage RECT. Exposed for tests and tools.
Result<std::vector<std::uint8_t>> decompressBody(std::span<const std::uint8_t> file, const Limits& limits = {});

} // namespace swf
