// A whole movie as read from a file or built for writing.
#pragma once

#include "swf/Characters.h"
#include "swf/Tags.h"
#include "swf/Types.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace swf {

enum class Compression : std::uint8_t { None, Zlib, Lzma }; // FWS, CWS, ZWS

struct Header {
    Compression compression = Compression::None;
    std::uint8_t version = 10;
    std::uint32_t fileLength = 0;  // the header's uncompressed length (as read; recomputed on write)
    Rect stageRect{0, 550 * 20, 0, 400 * 20};
    std::uint16_t frameRate = 24 << 8; // 8.8 fixed frames per second
    std::uint16_t frameCount = 1;      // as declared

    double fps() const { return frameRate / 256.0; }
    int stageWidth() const { return stageRect.width() / kTwipsPerPixel; }
    int stageHeight() const { return stageRect.height() / kTwipsPerPixel; }
    friend bool operator==(const Header&, const Header&) = default;
};

struct FileAttributes {
    bool useDirectBlit = false;
    bool useGpu = false;
    bool hasMetadata = false;
    bool actionScript3 = false;
    bool useNetwork = false;
    friend bool operator==(const FileAttributes&, const FileAttributes&) = default;
};

struct ExportedAsset {
    std::uint16_t id = 0;
    std::string name;
    friend bool operator==(const ExportedAsset&, const ExportedAsset&) = default;
};

struct ImportAssets {
    std::string url;
    std::vector<ExportedAsset> assets;
    friend bool operator==(const ImportAssets&, const ImportAssets&) = default;
};

struct ScriptLimits {
    std::uint16_t maxRecursionDepth = 256;
    std::uint16_t scriptTimeoutSeconds = 15;
    friend bool operator==(const ScriptLimits&, const ScriptLimits&) = default;
};

// Strings in SWF 6+ files are UTF-8; older files use the author's code page and
// are kept as bytes.
struct Movie {
    Header header;
    std::optional<FileAttributes> fileAttributes;
    std::map<std::uint16_t, Character> dictionary; // the first definition of an id wins
    Timeline timeline;                             // the root timeline
    std::vector<std::uint8_t> jpegTables;          // JPEGTables body, for BitmapKind::Jpeg
    std::map<std::uint16_t, Rect> scalingGrids;    // DefineScalingGrid by character id
    std::vector<ExportedAsset> exports;
    std::vector<ImportAssets> imports;
    std::optional<std::string> metadata;
    std::optional<ScriptLimits> scriptLimits;
    bool protect = false;
    bool enableDebugger = false;

    // Reading only: set when the file ended early or a tag was damaged; the
    // frames before that point are complete and playable.
    bool truncated = false;
    std::vector<std::string> warnings; // skipped or damaged tags, for logs and tests

    // The first SetBackgroundColor of the root timeline, white when none.
    Rgba backgroundColor() const;
    const Character* character(std::uint16_t id) const;
    template <class T>
    const T* find(std::uint16_t id) const {
        const Character* c = character(id);
        return c ? std::get_if<T>(c) : nullptr;
    }
    // Decodes a bitmap character (with this movie's JPEGTables).
    Result<DecodedBitmap> decodeBitmap(std::uint16_t id, const Limits& limits = {}) const;

    friend bool operator==(const Movie&, const Movie&) = default;
};

} // namespace swf
