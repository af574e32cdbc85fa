#include "tools/zelhost/page/font_choice.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

#include "platform/ascii.h"

namespace zelhost::page {
namespace {

// Faces drawn with the same advance widths as the Windows fonts they stand
// for (Debian's fonts-liberation), so that columns of a fixed-width layout
// still line up.
struct MetricTwin {
  const char* windowsFont;
  const char* twin;
};
constexpr MetricTwin kMetricTwins[] = {
    {"Courier New", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Arial Narrow", "Liberation Sans Narrow"},
};

struct PatternFree {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

Pattern familyPattern(const std::string& family) {
  Pattern pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  return pattern;
}

// True when a face of that family (in any letter case) is installed.
bool installed(const std::string& family) {
  const Pattern pattern = familyPattern(family);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern.get(), objects);
  FcObjectSetDestroy(objects);
  const bool found = fonts != nullptr && fonts->nfont > 0;
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  return found;
}

// The family fontconfig would draw `family` with.
std::string fontconfigChoice(const std::string& family) {
  const Pattern pattern = familyPattern(family);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result;
  const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* chosen = nullptr;
  if (match == nullptr || FcPatternGetString(match.get(), FC_FAMILY, 0, &chosen) != FcResultMatch)
    return family;  // no font at all: pango draws what it can
  return reinterpret_cast<const char*>(chosen);
}

const char* metricTwin(const std::string& named) {
  for (const MetricTwin& t : kMetricTwins)
    if (platform::ascii::compareNoCase(t.windowsFont, named) == 0) return t.twin;
  return nullptr;
}

}  // namespace

FontChoice chooseFont(const std::string& named) {
  if (installed(named)) return {named, ""};
  const std::string missing = "the font '" + named + "' is not installed";
  const char* twin = metricTwin(named);
  if (twin != nullptr && installed(twin))
    return {twin, missing + "; drawn with '" + twin + "', which has the same character widths"};
  const std::string chosen = fontconfigChoice(named);
  return {chosen, missing + (twin != nullptr ? std::string(", nor '") + twin + "'" : "") +
                      "; drawn with '" + chosen +
                      "', fontconfig's choice, whose widths may differ: columns may not line up"};
}

}  // namespace zelhost::page
