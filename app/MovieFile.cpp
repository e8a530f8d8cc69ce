#include "MovieFile.h"

#include "swf/Flv.h"
#include "swf/Reader.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

bool startsWith(const std::vector<std::uint8_t>& head, std::string_view magic)
{
    return head.size() >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

// What a file that is not a movie most likely is, for a message a person understands.
std::string guessKind(const std::vector<std::uint8_t>& head)
{
    static const std::array<std::pair<std::string_view, const char*>, 7> kinds = {{
        {"GIF8", "a GIF picture, not a movie"},
        {"\x89PNG", "a PNG picture, not a movie"},
        {"\xFF\xD8\xFF", "a JPEG picture, not a movie"},
        {"BM", "a BMP picture, not a movie"},
        {"RIFF", "a RIFF file (AVI or WAV), not a Flash movie"},
        {"PK\x03\x04", "a ZIP archive, not a movie"},
        {"%PDF", "a PDF document, not a movie"},
    }};
    for (const auto& [magic, kind] : kinds)
        if (startsWith(head, magic))
            return kind;
    return "no SWF or FLV signature at its start";
}

} // namespace

std::optional<std::string> WhyNotAFlashMovie(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return "a folder, not a file";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::string("cannot be read: ") + std::strerror(errno);
    std::vector<std::uint8_t> head(16);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    if (head.empty())
        return "the file is empty";

    if (startsWith(head, "FLV")) {
        // The header alone: the tags are read as they play, and a cut-off file plays
        // what it holds.
        auto flv = swf::readFlv(head);
        if (!flv.ok())
            return flv.error().message;
        return std::nullopt;
    }
    if (startsWith(head, "FWS") || startsWith(head, "CWS") || startsWith(head, "ZWS")) {
        auto movie = swf::readMovieFile(path);
        if (!movie.ok())
            return movie.error().message;
        if (movie.value().timeline.frames.empty())
            return "it has no frames";
        return std::nullopt;
    }
    return guessKind(head);
}

std::string NotAFlashMovieMessage(const std::string& path, const std::string& why)
{
    return path + ": not a Flash movie (" + why + ")";
}
