// The SWF files of the shared corpus with the manifest values we check.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace swftest {

struct CorpusFile {
    std::string name;           // case or file name, for messages
    std::filesystem::path path;
    std::string compression;    // none, zlib, lzma
    int version = 0;
    int frames = -1;            // -1: not given
    double fps = -1;
    int width = -1;
    int height = -1;
    std::vector<std::uint16_t> tagCodes;
    bool expectError = false;   // the deliberately broken files
};

// All SWFs of swf/, swf-parser/ and swf-npm/ (duplicates dropped).
std::vector<CorpusFile> corpusFiles();

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

} // namespace swftest
