#include "tools/zelhost/page/paper.h"

namespace zelhost::page {

const Paper* findPaper(std::string_view name) {
  for (const Paper& paper : kPapers)
    if (name == paper.name) return &paper;
  return nullptr;
}

PageSize pageSize(const Paper& paper, Orientation orientation) {
  if (orientation == Orientation::Landscape) return {paper.height, paper.width};
  return {paper.width, paper.height};
}

}  // namespace zelhost::page
