#include "platform/best_fit.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

struct Fit {
  char32_t codePoint;
  unsigned char byte;
};

// Made from data/bestfit-1252.tsv when the build is configured; sorted by
// code point, as the file is.
constexpr Fit kFits[] = {
#include "best_fit_table.inc"
};

static_assert(std::is_sorted(std::begin(kFits), std::end(kFits),
                             [](const Fit& a, const Fit& b) { return a.codePoint < b.codePoint; }));

}  // namespace

char bestFitByte(char32_t codePoint) {
  const auto it = std::lower_bound(std::begin(kFits), std::end(kFits), codePoint,
                                   [](const Fit& f, char32_t c) { return f.codePoint < c; });
  return it != std::end(kFits) && it->codePoint == codePoint ? static_cast<char>(it->byte) : '?';
}

}  // namespace platform
