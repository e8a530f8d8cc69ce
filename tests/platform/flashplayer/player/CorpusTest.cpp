// The external corpus: every case of tests/corpus/swf (none uses ActionScript 3)
// is played to its capture points and compared with the expected pictures.
//
// The tolerance is explained in SwfCorpus.h.
//
// Ratchet: kRatchet is the number of matching cases reached and kKnownMatching names
// them; the test fails when fewer match or a known case stops matching, and names the
// cases that match beyond the list, so both can grow.
#include "ScriptedInput.h"
#include "SwfCorpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <optional>
#include <set>
#include <sstream>

namespace flash {
namespace {

using namespace swfcorpus;

constexpr int kRatchet = 77;
const std::set<std::string> kKnownMatching = {
    "avm1__bitmap_data_colortransform",
    "avm1__bitmap_data_fillrect",
    "avm1__bitmap_data_pixeldissolve_image",
    "avm1__color",
    "avm1__edittext_stylesheet",
    "avm1__focusrect_focuslost",
    "avm1__focusrect_mouse_swf9",
    "avm1__focusrect_swf6",
    "avm1__frame_size_translated_positive",
    "avm1__mask_with_drawing",
    "avm1__mcl_target_gif89a",
    "avm1__mcl_target_png",
    "avm1__movieclip_line_gradient_style",
    "avm1__movieclip_setmask",
    "from_shumway__acid__acid-bitmap-fill",
    "from_shumway__acid__acid-blend",
    "from_shumway__acid__acid-chars",
    "from_shumway__acid__acid-clip",
    "from_shumway__acid__acid-color-0",
    "from_shumway__acid__acid-filter-2",
    "from_shumway__acid__acid-gradient",
    "from_shumway__acid__acid-gradient-1",
    "from_shumway__acid__acid-large",
    "from_shumway__acid__acid-small",
    "from_shumway__acid__acid-text-3",
    "from_shumway__acid__acid-text-escape",
    "from_shumway__avm1__text-bind",
    "from_shumway__clipping",
    "from_shumway__gradient",
    "from_shumway__invalidClipDepth",
    "import_assets__avm1_imports_avm1",
    "text__style_changes_in_html",
    "visual__blend_modes__alpha_no_layer",
    "visual__blend_modes__difference",
    "visual__blend_modes__hardlight",
    "visual__blend_modes__layer_alpha",
    "visual__blend_modes__lighten",
    "visual__blend_modes__overlay",
    "visual__blend_modes__screen",
    "visual__bmd_draw_with_msaa_issue_10579",
    "visual__cache_as_bitmap__avm2_button",
    "visual__cache_as_bitmap__children_changed",
    "visual__cache_as_bitmap__contains_grown_filter",
    "visual__cache_as_bitmap__edittext_hscroll",
    "visual__cache_as_bitmap__nested_color_transform",
    "visual__cache_as_bitmap__nested_rotation",
    "visual__cache_as_bitmap__scroll_rect_scaled",
    "visual__cache_as_bitmap__text",
    "visual__drawing_api__cursor",
    "visual__drawing_api__fills_and_lines",
    "visual__edittext__edittext_background_basic",
    "visual__edittext__edittext_border_basic",
    "visual__edittext__edittext_border_filters",
    "visual__edittext__edittext_bounds_vs_position",
    "visual__edittext__edittext_device_transform_small_rotation",
    "visual__edittext__edittext_negative_bounds",
    "visual__filters__bevel",
    "visual__filters__bevel_inner",
    "visual__filters__blur_scales_with_screen",
    "visual__filters__color_matrix",
    "visual__filters__glow",
    "visual__filters__glow_without_composite_source",
    "visual__focus_highlight__focus_highlight_basic",
    "visual__focus_highlight__focus_highlight_render",
    "visual__fonts__leading_define_font",
    "visual__gradient_nonsequential_ratios",
    "visual__gradient_same_ratios",
    "visual__scale_rotation_cache",
    "visual__simple_shapes__gradients__gradients",
    "visual__simple_shapes__gradients__reflect",
    "visual__simple_shapes__heavy_tesselation",
    "visual__simple_shapes__masks",
    "visual__simple_shapes__overlaps",
    "visual__simple_shapes__strokes__scale",
    "visual__simple_shapes__winding_rule",
    "visual__video__colorconversion__h263",
    "visual__video__vp6_alphaoffset",
};

// Cases whose trace output equals their output.txt: the second ratchet.
constexpr int kTraceRatchet = 8;
const std::set<std::string> kKnownTraces = {
    "avm1__focusrect_focuslost",
    "avm1__focusrect_swf6",
    "avm1__frame_size_translated_positive",
    "avm1__mcl_target_gif89a",
    "avm1__mcl_target_png",
    "avm1__movieclip_setmask",
    "visual__cache_as_bitmap__edittext_hscroll",
    "visual__scale_rotation_cache",
};

// Low-quality cases whose pictures still smooth their bitmaps; this player's low quality
// never smooths, so they play at high quality.
const std::set<std::string> kSmoothedAtLowQuality = {
    "from_shumway__acid__acid-large",
};

// A case's input.json in the --input format: each "Wait" lets one frame run, and the
// events before the n-th wait come just after frame n is shown. Only the left mouse
// button reaches movies.
std::string inputScript(const Case& c)
{
    std::ifstream in(folder() / c.name / "input.json", std::ios::binary);
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::regex entry(R"(\{(?:[^{}]|\{[^{}]*\})*\})");
    auto field = [](const std::string& e, const char* name) {
        const std::regex re(std::string("\"") + name + R"re("\s*:\s*("([^"]*)"|\[\s*(-?[\d.]+)\s*,\s*(-?[\d.]+)\s*\]|\{\s*"(\w+)"\s*:\s*"(\w+)"\s*\}))re");
        std::smatch m;
        if (!std::regex_search(e, m, re))
            return std::string();
        if (m[5].matched)   // {"Numpad": "1"}
            return m[5].str() + m[6].str();
        if (m[3].matched)   // [x, y], whole pixels
            return std::to_string(int(std::lround(std::stod(m[3].str())))) + " " +
                   std::to_string(int(std::lround(std::stod(m[4].str()))));
        return m[2].str();
    };
    static const std::map<std::string, std::string> controls = {{"MoveLeft", "Left"}, {"MoveRight", "Right"},
        {"MoveUp", "Up"}, {"MoveDown", "Down"}, {"Backspace", "Backspace"}, {"Delete", "Delete"},
        {"Enter", "Enter"}, {"Home", "Home"}, {"End", "End"}};
    std::string script;
    int frame = 1;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator(); ++it) {
        const std::string e = it->str();
        const std::string type = field(e, "type"), at = "f" + std::to_string(frame) + " ";
        if (type == "Wait")
            ++frame;
        else if (type == "KeyDown")
            script += at + "keydown " + field(e, "key") + "\n";
        else if (type == "KeyUp")
            script += at + "keyup " + field(e, "key") + "\n";
        else if (type == "MouseMove")
            script += at + "move " + field(e, "pos") + "\n";
        else if ((type == "MouseDown" || type == "MouseUp") && field(e, "btn") == "Left")
            script += at + (type == "MouseDown" ? "down " : "up ") + field(e, "pos") + "\n";
        else if (type == "TextControl" && controls.count(field(e, "code")))
            script += at + "key " + controls.at(field(e, "code")) + "\n";
        else if (type == "FocusGained" || type == "FocusLost")
            script += at + (type == "FocusGained" ? "focus in\n" : "focus out\n");
    }
    return script;
}

// The trace output a case expects (its output.txt), or nothing when it has none.
std::optional<std::string> expectedTrace(const Case& c)
{
    std::ifstream in(folder() / c.name / "output.txt", std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.empty())
        return std::nullopt;
    return text;
}

// Plays a case and returns the worst similarity over its captures (-1: unplayable).
// `trace` receives the movie's trace output, one line per message.
double playCase(const Case& c, std::string& why, std::string* trace)
{
    swf::Result<swf::Movie> movie = swf::readMovieFile((folder() / c.name / "test.swf").string());
    if (!movie.ok()) {
        why = movie.error().message;
        return -1;
    }
    VirtualClock clock;
    Player player(&clock);
    player.setQuality(c.lowQuality ? Quality::Low : Quality::High);
    player.setOnTrace([trace](const std::string& message) { *trace += message + "\n"; });
    // The media a case loads lie beside its movie; nothing outside its folder is read.
    player.setFetchHandler([folder = folder() / c.name](const std::string& url, size_t maxBytes)
                               -> std::optional<std::vector<uint8_t>> {
        const std::filesystem::path name(url);
        if (name.empty() || name.is_absolute() || name.string().find("..") != std::string::npos)
            return std::nullopt;
        std::ifstream in(folder / name, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() > maxBytes)
            return std::nullopt;
        return bytes;
    });
    if (!player.load(std::make_shared<const swf::Movie>(std::move(movie).value()))) {
        why = "not playable";
        return -1;
    }
    std::vector<InputEvent> events;
    if (c.input) {
        std::string error;
        std::optional<std::vector<InputEvent>> parsed = parseInputScript(inputScript(c), error);
        if (!parsed) {
            why = "input: " + error;
            return -1;
        }
        events = std::move(*parsed);
    }
    size_t next = 0;
    auto deliverDue = [&](int shown) {
        while (next < events.size() && events[next].frame <= shown)
            deliverInput(player, events[next++]);
    };
    double worst = 1;
    int frame = 1;
    for (const Capture& cap : c.captures) {
        // With input, a capture at tick n comes after n frames have run.
        const int target = c.input ? cap.frame + 1 : cap.frame;
        while (frame < target) {
            deliverDue(frame);
            player.advanceFrame();
            ++frame;
        }
        const QImage expected(QString::fromStdString((folder() / c.name / cap.image).string()));
        if (expected.isNull()) {
            why = "no expected picture " + cap.image;
            return -1;
        }
        QImage actual(expected.size(), QImage::Format_ARGB32_Premultiplied);
        actual.fill(Qt::transparent);
        player.setViewSize(expected.width(), expected.height());
        player.render({actual.bits(), actual.width(), actual.height(), int(actual.bytesPerLine())});
        worst = std::min(worst, similarity(actual, expected));
        // TOVRANE_CORPUS_DUMP=folder keeps our pictures beside the names of the expected ones.
        if (const char* dump = std::getenv("TOVRANE_CORPUS_DUMP"))
            actual.save(QString::fromStdString((std::filesystem::path(dump) / (c.name + "__" + cap.image)).string()));
    }
    return worst;
}

TEST(Corpus, CasesMatchTheirExpectedPictures)
{
    const std::vector<Case> cases = readManifest(kSmoothedAtLowQuality);
    ASSERT_GT(cases.size(), 50u) << "corpus manifest not found under " << folder();
    int matching = 0, traced = 0, tracing = 0;
    std::vector<std::string> passing, tracesPassing;
    for (const Case& c : cases) {
        std::string why, trace;
        const double share = playCase(c, why, &trace);
        if (const std::optional<std::string> expected = expectedTrace(c)) {
            ++tracing;
            const bool same = trace == *expected;
            traced += same;
            if (same)
                tracesPassing.push_back(c.name);
            std::printf("%-60s trace %s\n", c.name.c_str(), same ? "matches" : "differs");
            if (const char* dump = std::getenv("TOVRANE_CORPUS_DUMP"))
                std::ofstream(std::filesystem::path(dump) / (c.name + ".trace.txt"), std::ios::binary) << trace;
        }
        const bool match = share >= kPixelShare;
        matching += match;
        if (match)
            passing.push_back(c.name);
        std::printf("%-60s %6.2f %%  %s%s\n", c.name.c_str(), std::max(0.0, share) * 100, match ? "match" : "differs",
                    why.empty() ? "" : ("  (" + why + ")").c_str());
    }
    std::printf("corpus: %d of %zu cases match (tolerance %d levels, %.0f %% of pixels)\n", matching, cases.size(),
                kChannelTolerance, kPixelShare * 100);
    EXPECT_GE(matching, kRatchet) << "fewer corpus cases match than before";
    const std::set<std::string> now(passing.begin(), passing.end());
    for (const std::string& name : kKnownMatching)
        EXPECT_TRUE(now.count(name)) << name << " matched before and no longer does";
    for (const std::string& name : passing)
        if (!kKnownMatching.count(name))
            std::printf("newly matching (add it to kKnownMatching, raise kRatchet): %s\n", name.c_str());
    std::printf("traces: %d of %d cases match their output.txt\n", traced, tracing);
    EXPECT_GE(traced, kTraceRatchet) << "fewer trace outputs match than before";
    const std::set<std::string> tracesNow(tracesPassing.begin(), tracesPassing.end());
    for (const std::string& name : kKnownTraces)
        EXPECT_TRUE(tracesNow.count(name)) << name << "'s trace matched before and no longer does";
    for (const std::string& name : tracesPassing)
        if (!kKnownTraces.count(name))
            std::printf("trace newly matching (add it to kKnownTraces, raise kTraceRatchet): %s\n", name.c_str());
}

}  // namespace
}  // namespace flash
