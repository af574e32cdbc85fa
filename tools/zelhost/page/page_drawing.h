// The pages of a spool file drawn with cairo and Pango: a PDF with one page
// per page index, or one page as a PNG image.
#pragma once

#include <string>

#include "tools/zelhost/page/paper.h"
#include "tools/zelhost/page/spool_file.h"

namespace zelhost::page {

enum class OutputKind { Pdf, Png };

struct Drawing {
  OutputKind kind = OutputKind::Pdf;
  PageSize size{};     // twips
  std::string family;  // the face every text is drawn with
  int dpi = 150;       // PNG only
};

// The bytes of the file; a PNG holds the first page (the caller refuses
// more). Raises std::runtime_error when cairo fails.
std::string drawPages(const SpoolPages& pages, const Drawing& drawing);

}  // namespace zelhost::page
