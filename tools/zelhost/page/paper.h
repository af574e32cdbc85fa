// The sheets a spool file can be drawn on, as data, in twips (1/1440 inch).
#pragma once

#include <string_view>

#include "tools/zelhost/page/spool_file.h"

namespace zelhost::page {

struct Paper {
  const char* name;
  double width;   // twips, portrait
  double height;  // twips, portrait
};

inline constexpr double kTwipsPerInch = 1440;
inline constexpr double kTwipsPerMillimetre = kTwipsPerInch / 25.4;

inline constexpr Paper kPapers[] = {
    {"a4", 210 * kTwipsPerMillimetre, 297 * kTwipsPerMillimetre},
    {"letter", 8.5 * kTwipsPerInch, 11 * kTwipsPerInch},
};

// The paper of that name (as --paper takes it), or null.
const Paper* findPaper(std::string_view name);

struct PageSize {
  double width;  // twips, as the page is drawn
  double height;
};
PageSize pageSize(const Paper& paper, Orientation orientation);

}  // namespace zelhost::page
