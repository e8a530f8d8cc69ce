// The renderer the player draws its display list with. It knows nothing of timelines:
// the player registers the characters it needs once (shapes, morph shapes, glyphs,
// bitmaps) and then, for every frame, walks its display list in depth order and issues
// draw calls between beginFrame() and endFrame().
//
// Coordinates. Every draw call takes the matrix from the character's own space (twips,
// as its records hold them; for bitmaps and video, see below) to stage space (twips).
// beginFrame() takes the stage-to-surface matrix (stage twips to surface pixels) that
// the player computes from the scale mode, alignment and view origin; 1:1 at the
// surface's top-left corner is Matrix::scale(1 / 20.0, 1 / 20.0).
//
// Colour transforms. Each draw call takes the concatenated colour transform of the
// object and its parents; it applies to every colour the call paints.
//
// Masks (clip layers). For a display-list entry with a clip depth:
//     beginMask();  draw the mask character (and its children) as usual;  endMask();
//     draw the entries above it up to the clip depth;  popMask();
// Draw calls between beginMask() and endMask() paint nothing: the union of their
// shapes becomes the mask. Masks nest: an inner mask clips by the intersection.
//
// Blend modes. An object with a blend mode other than normal is drawn as
//     beginLayer(mode);  draw the object and its children;  endLayer();
// The object is drawn into a transparent offscreen layer which endLayer() composes
// onto what lies below with the mode. Alpha and Erase use the layer's alpha to keep
// or to cut away what lies below inside the enclosing layer (a parent with the Layer
// mode, or any other non-normal mode, makes that layer); outside such a group they
// change nothing and draw nothing. Layers nest, and
// masks may be opened inside layers and layers inside masks, as long as each begin
// is closed in the order opened.
//
// Filters. An object with filters (PlaceObject3, button records) is drawn as
//     beginFilterLayer(filters, mode, cx);  draw the object and its children;  endLayer();
// with the object's concatenated colour transform given to the layer and not to the
// draw calls inside it: the transform tints the filtered result, shadows and glows
// included (pixels left fully transparent stay so). The layer is like a blend layer
// (mode Normal when the object has none); endLayer() runs the filters over it in list
// order, each on the previous one's result, applies `cx`, then composes it with the
// mode. The layer grows by each filter's reach, so shadows, glows and blurs spread
// beyond what was drawn; what lies outside the viewport is neither drawn nor spread.
// Filter sizes (blurX/Y, distance) are in stage pixels: they scale with the
// stage-to-surface matrix but not with the object's own matrix. Hostile sizes are
// clamped (blur at 255 stage pixels, 15 passes; convolutions beyond a fixed cost are
// skipped). Filters opened while a mask's shape is drawn are ignored: masks take
// plain coverage.
//
// Errors. Registration of hostile data never fails hard: degenerate geometry draws
// nothing. Draw calls with an unknown id are ignored. Calls outside a frame are
// ignored. Unbalanced begin/end pairs are closed by endFrame().
#pragma once

#include "render/Types.h"
#include "swf/Filters.h"
#include "swf/Shape.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace render {

// Handles to registered characters. 0 is never a valid handle.
using ShapeId = std::uint32_t;
using MorphId = std::uint32_t;
using BitmapId = std::uint32_t;
constexpr std::uint32_t kNoId = 0;

// Resolves a bitmap fill's character id to a registered bitmap (kNoId when the movie
// has no such bitmap: such a fill paints nothing).
using BitmapLookup = std::function<BitmapId(std::uint16_t characterId)>;

// Everything a frame is drawn with.
struct FrameSetup {
    Surface surface;
    // The part of the surface the movie may touch (background fill, drawing); pixels
    // outside are left alone. Width 0 means the whole surface.
    PixelRect viewport;
    // The background filled over the viewport first; hasBackground false ("Transparent"
    // window mode) leaves the surface's pixels as they are and composes over them.
    bool hasBackground = true;
    Rgba background{255, 255, 255, 255};
    Matrix stageToSurface = Matrix::scale(1 / 20.0, 1 / 20.0);
    Quality quality = Quality::High;
};

// One glyph of a text run: a glyph registered with registerGlyph(), the matrix from
// the glyph's own space (the font's EM square: 1024 units, 20480 for DefineFont3) to
// the text character's space (twips), and its colour.
struct GlyphInstance {
    ShapeId glyph = kNoId;
    Matrix matrix;
    Rgba color;
};

// A run of text in a system font (device fonts), drawn with its baseline origin at
// (0, 0) of the text's space.
struct DeviceText {
    std::string utf8;
    std::string fontFamily;   // empty or "_sans", "_serif", "_typewriter": generic families
    double sizeTwips = 240;
    bool bold = false;
    bool italic = false;
    Rgba color;
};

class Renderer {
public:
    virtual ~Renderer() = default;

    // --- Characters -------------------------------------------------------------------
    // A shape (DefineShape 1-4, also a button state's shape): its paths are built once
    // here and drawn from the cache every time after.
    virtual ShapeId registerShape(const swf::Shape& shape, const BitmapLookup& bitmaps) = 0;
    // A morph shape: the shape at a ratio is built the first time that ratio is drawn
    // and kept while it is used.
    virtual MorphId registerMorph(const swf::MorphShape& morph, const BitmapLookup& bitmaps) = 0;
    // A font glyph (swf::Glyph::records): its outline is filled with the colour each
    // GlyphInstance gives.
    virtual ShapeId registerGlyph(std::span<const swf::ShapeRecord> records) = 0;
    // A decoded bitmap (premultiplied ARGB32), copied into the renderer.
    virtual BitmapId registerBitmap(const ImageView& pixels) = 0;
    // Drops what a handle holds; the handle becomes unknown.
    virtual void releaseShape(ShapeId id) = 0;
    virtual void releaseMorph(MorphId id) = 0;
    virtual void releaseBitmap(BitmapId id) = 0;

    // --- Hit testing (for buttons and the mouse), in the shape's own twips ---------------
    // True when the point lies in a fill or on a stroke of the shape.
    virtual bool hitTest(ShapeId id, double x, double y) const = 0;
    virtual bool hitTestMorph(MorphId id, std::uint16_t ratio, double x, double y) = 0;

    // --- Frames -----------------------------------------------------------------------
    // Starts drawing into the setup's surface; false when the surface is unusable
    // (then the frame's draw calls are ignored).
    virtual bool beginFrame(const FrameSetup& setup) = 0;
    // Finishes the frame: closes open masks and layers; the surface holds the picture.
    virtual void endFrame() = 0;

    // --- Draw calls (between beginFrame and endFrame) ----------------------------------
    virtual void drawShape(ShapeId id, const Matrix& matrix, const ColorTransform& cx) = 0;
    // `ratio` 0 is the start shape, 65535 the end shape.
    virtual void drawMorph(MorphId id, std::uint16_t ratio, const Matrix& matrix,
                           const ColorTransform& cx) = 0;
    // Glyph text (DefineText, DefineEditText with embedded fonts): `matrix` maps the text
    // character's space to the stage.
    virtual void drawGlyphs(std::span<const GlyphInstance> glyphs, const Matrix& matrix,
                            const ColorTransform& cx) = 0;
    virtual void drawDeviceText(const DeviceText& text, const Matrix& matrix,
                                const ColorTransform& cx) = 0;
    // Advance width of a device text run, in twips (for the player's text layout).
    virtual double measureDeviceText(const DeviceText& text) = 0;
    // A bitmap character: its pixel (x, y) covers twips (20x..20x+20, 20y..20y+20) of
    // its own space.
    virtual void drawBitmap(BitmapId id, const Matrix& matrix, const ColorTransform& cx,
                            bool smoothing) = 0;
    // A video frame (premultiplied ARGB32 from the video layer), stretched over the
    // video character's rectangle (0, 0)-(widthTwips, heightTwips) of its own space.
    // The pixels are read during the call only.
    virtual void drawVideoFrame(const ImageView& frame, double widthTwips, double heightTwips,
                                const Matrix& matrix, const ColorTransform& cx,
                                bool smoothing) = 0;

    virtual void beginMask() = 0;
    virtual void endMask() = 0;
    virtual void popMask() = 0;

    virtual void beginLayer(BlendMode mode) = 0;
    // A layer whose filters and then `cx` run before it is composed with `mode`; closed
    // by endLayer().
    virtual void beginFilterLayer(std::span<const swf::Filter> filters, BlendMode mode,
                                  const ColorTransform& cx) = 0;
    virtual void endLayer() = 0;
};

}  // namespace render
