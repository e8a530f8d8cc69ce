// TextField.StyleSheet: CSS rules scripts give text fields for their HTML. The sheet
// object keeps its styles as script objects (setStyle, parseCSS, getStyle); a field
// takes them over as text formats when its HTML is set.
#pragma once

#include "HtmlText.h"
#include "TextFormat.h"

#include "avm1/Interpreter.h"

#include <string>
#include <utility>
#include <vector>

namespace flash {

void installStyleSheetClass(avm1::Interpreter& in);

// The rules of a sheet object as they stand.
StyleRules styleRulesOf(const avm1::Object& sheet, int swfVersion);

// CSS text into selectors and their properties (names in camel case: font-size is
// fontSize). Broken parts are skipped; at most a bounded number of rules.
using CssRule = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
std::vector<CssRule> parseCss(const std::string& css);

}  // namespace flash
