// Writing a Movie as a SWF file, and a builder that makes small movies
// pleasantly (test fixtures, the bundled sample movie).
#pragma once

#include "swf/Movie.h"
#include "swf/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

// Encodes `movie` with header.compression and header.version. Characters are
// written in id order before the first frame (a sprite after the characters it
// places); Movie::timeline frames follow. Fails on what the reader would refuse
// (e.g. RGBA colours in DefineShape 1/2, an index beyond its style array).
Result<std::vector<std::uint8_t>> writeMovie(const Movie& movie);

// Writes via a temporary file beside `path` and renames it into place.
Status writeMovieFile(const Movie& movie, const std::string& path);

// Builds a movie frame by frame:
//   MovieBuilder b(200, 100, 12);
//   auto box = b.addRectangle({0, 400, 0, 400}, {255, 0, 0});
//   b.place(box, 1, Matrix::translate(200, 200));
//   b.showFrame();
//   auto bytes = b.build();
class MovieBuilder {
public:
    MovieBuilder(int stageWidthPx, int stageHeightPx, double fps = 24.0, std::uint8_t version = 10);

    Movie& movie() { return m_movie; }

    // Characters. Ids are handed out from 1 upwards; the returned id is the new character's.
    std::uint16_t nextId() const { return m_nextId; }
    std::uint16_t add(Character character); // assigns the id; returns it
    // A filled (and optionally stroked) rectangle, DefineShape3 (4 with LINESTYLE2 members set).
    std::uint16_t addRectangle(Rect rect, Rgba fill, std::optional<LineStyle> line = {});
    // Any fill style over a rectangle.
    std::uint16_t addRectangle(Rect rect, const FillStyle& fill);
    // A lossless bitmap from premultiplied 0xAARRGGBB pixels (DefineBitsLossless2
    // when any pixel is not opaque, DefineBitsLossless otherwise).
    std::uint16_t addBitmap(int width, int height, const std::vector<std::uint32_t>& pixels);

    // Control tags of the frame being built.
    void setBackground(Rgba color);
    void place(std::uint16_t characterId, std::uint16_t depth, Matrix matrix = {},
               std::optional<ColorTransform> cxform = {});
    void move(std::uint16_t depth, Matrix matrix);
    void remove(std::uint16_t depth);
    void control(ControlTag tag);
    void label(std::string name);
    void action(std::vector<std::uint8_t> bytes);
    void showFrame();

    // Finishes: closes a frame with pending tags, sets the frame count, encodes.
    Result<std::vector<std::uint8_t>> build(Compression compression = Compression::None);
    Status save(const std::string& path, Compression compression = Compression::None);

private:
    void finish();
    Movie m_movie;
    Frame m_frame;
    bool m_frameDirty = false;
    std::uint16_t m_nextId = 1;
};

// The same builder for a sprite's timeline: build it, then add() the sprite.
class SpriteBuilder {
public:
    void place(std::uint16_t characterId, std::uint16_t depth, Matrix matrix = {},
               std::optional<ColorTransform> cxform = {});
    void remove(std::uint16_t depth);
    void control(ControlTag tag);
    void label(std::string name);
    void showFrame();
    Sprite sprite(); // id assigned by MovieBuilder::add
private:
    Timeline m_timeline;
    Frame m_frame;
};

} // namespace swf
