// The external corpus: every case of tests/corpus/swf (none uses ActionScript 3)
// is played to its capture points and compared with the expected pictures.
//
// The tolerance is explained in SwfCorpus.h.
//
// Ratchet: kRatchet is the number of matching cases reached and kKnownMatching names
// them; the test fails when fewer match or a known case stops matching, and names the
// cases that match beyond the list, so both can grow.
#include "SwfCorpus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace flash {
namespace {

using namespace swfcorpus;

constexpr int kRatchet = 72;
const std::set<std::string> kKnownMatching = {
    "avm1__bitmap_data_colortransform",
    "avm1__bitmap_data_fillrect",
    "avm1__bitmap_data_pixeldissolve_image",
    "avm1__color",
    "avm1__edittext_stylesheet",
    "avm1__focusrect_focuslost",
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
    "visual__cache_as_bitmap__children_changed",
    "visual__cache_as_bitmap__contains_grown_filter",
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

// Low-quality cases whose pictures still smooth their bitmaps; this player's low quality
// never smooths, so they play at high quality.
const std::set<std::string> kSmoothedAtLowQuality = {
    "from_shumway__acid__acid-large",
};

TEST(Corpus, CasesMatchTheirExpectedPictures)
{
    const std::vector<Case> cases = readManifest(kSmoothedAtLowQuality);
    ASSERT_GT(cases.size(), 50u) << "corpus manifest not found under " << folder();
    int matching = 0;
    std::vector<std::string> passing;
    for (const Case& c : cases) {
        std::string why;
        const double share = playCase(c, why);
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
}

}  // namespace
}  // namespace flash
