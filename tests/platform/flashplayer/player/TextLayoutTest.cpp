// Text field layout: HTML styles choose the family's bold and italic fonts, sizes and
// colours; advances land on whole twips; hostile HTML stays bounded.
#include "TextLayout.h"

#include "render/PainterRenderer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace flash::test {
namespace {

constexpr uint16_t kRegular = 1, kBold = 2, kItalic = 3;
constexpr int16_t kAdvance = 700;   // em units of 1024: 410.16 twips at 30 pixels

swf::Font font(uint16_t id, bool bold, bool italic)
{
    swf::Font f;
    f.id = id;
    f.version = 2;
    f.name = "Sans";
    f.bold = bold;
    f.italic = italic;
    f.hasLayout = true;
    f.ascent = 900;
    f.descent = 200;
    for (char c : {'a', 'b'}) {
        swf::Glyph g;
        g.code = uint16_t(c);
        g.advance = kAdvance;
        swf::StyleChange start;
        start.moveTo = swf::Point{0, -500};
        start.fill1 = 1;
        g.records = {start, swf::StraightEdge{500, 0}, swf::StraightEdge{0, 500}, swf::StraightEdge{-500, 0},
                     swf::StraightEdge{0, -500}};
        f.glyphs.push_back(g);
    }
    return f;
}

struct Layout {
    std::unique_ptr<render::Renderer> renderer = render::createPainterRenderer();
    std::shared_ptr<swf::Movie> movie = std::make_shared<swf::Movie>();
    std::unique_ptr<Library> library;
    swf::EditText field;

    Layout()
    {
        movie->dictionary[kRegular] = font(kRegular, false, false);
        movie->dictionary[kBold] = font(kBold, true, false);
        movie->dictionary[kItalic] = font(kItalic, false, true);
        library = std::make_unique<Library>(movie, *renderer);
        field.bounds = {0, 4000, 0, 1000};
        field.html = true;
        field.useOutlines = true;
        field.fontId = kBold;
        field.fontHeight = 240;
    }
    EditTextRuns run(const std::string& html) { return layoutEditText(field, html, *library); }
    render::ShapeId glyph(uint16_t fontId, char c) { return library->glyph(fontId, c == 'a' ? 0 : 1); }
};

TEST(TextLayout, HtmlStylesTakeTheFamilysFontsSizeAndColour)
{
    Layout t;
    // The field names the bold font, but untagged HTML text is regular.
    const EditTextRuns runs = t.run(R"(<p><font face="sans" size="30" color="#00FF00">a<b>b</b><i>a</i></font>b</p>)");
    ASSERT_EQ(runs.glyphs.size(), 4u);
    const render::ShapeId expected[] = {t.glyph(kRegular, 'a'), t.glyph(kBold, 'b'), t.glyph(kItalic, 'a'),
                                        t.glyph(kRegular, 'b')};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(runs.glyphs[i].glyph, expected[i]) << i;
    EXPECT_EQ(runs.glyphs[0].color, (render::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(runs.glyphs[3].color, (render::Rgba{0, 0, 0, 255}));   // the field's colour after </font>
    EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.a, 600.0 / 1024);
    EXPECT_DOUBLE_EQ(runs.glyphs[3].matrix.a, 240.0 / 1024);
    // 30 pixels: advances of 410.16 twips land on whole twips.
    EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.tx, 40);
    EXPECT_DOUBLE_EQ(runs.glyphs[1].matrix.tx, 40 + 410);
    EXPECT_DOUBLE_EQ(runs.glyphs[2].matrix.tx, 40 + 820);
}

TEST(TextLayout, ParagraphAlignmentAndAFaceTheMovieLacks)
{
    Layout t;
    const EditTextRuns runs = t.run(R"(<p align="right"><font face="Mono"><b>ab</b></font></p>)");
    ASSERT_EQ(runs.glyphs.size(), 2u);
    // No "Mono" in the movie: the field's family keeps the text, in its bold font.
    EXPECT_EQ(runs.glyphs[1].glyph, t.glyph(kBold, 'b'));
    const double advance = std::floor(kAdvance * 240.0 / 1024);
    EXPECT_DOUBLE_EQ(runs.glyphs[1].matrix.tx + advance, 4000 - 40);
}

TEST(TextLayout, HostileHtmlStaysBounded)
{
    Layout t;
    std::string deep;
    for (int i = 0; i < 20000; ++i)
        deep += "<b><font size='99999999' color='#zzzzzz'>";
    deep += "a";
    for (int i = 0; i < 30000; ++i)
        deep += "</font></b></p>";
    const std::string cases[] = {deep, "<font size=", "a<font face='", "<p align>a</p>b", "<<<>>a&amp;&#;",
                                 "<font size=\"-5\" color=\"#12\">b", std::string(5000, '<') + "b"};
    for (const std::string& html : cases) {
        const EditTextRuns runs = t.run(html);
        EXPECT_LE(runs.glyphs.size(), html.size());
        for (const render::GlyphInstance& g : runs.glyphs) {
            EXPECT_GT(g.matrix.a, 0);
            EXPECT_LE(g.matrix.a, 1000 * 20 / 1024.0);
        }
    }
}

}  // namespace
}  // namespace flash::test
