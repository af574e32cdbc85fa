// zelhost page SPOOLFILE -o OUT [--dpi N] [--paper a4|letter]: a spool file
// drawn as the page it describes, to a PDF (one page per page index) or a
// PNG (its one page). OUT appears whole or not at all: it is written beside
// itself under a temporary name and renamed.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/page/font_choice.h"
#include "tools/zelhost/page/page_drawing.h"
#include "tools/zelhost/page/paper.h"
#include "tools/zelhost/page/spool_file.h"
#include "tools/zelhost/usage.h"

namespace zelhost {
namespace {

using namespace page;

constexpr int kMinDpi = 10;
constexpr int kMaxDpi = 1200;

struct PageOptions {
  std::string spoolFile;
  std::string out;
  OutputKind kind = OutputKind::Pdf;
  const Paper* paper = &kPapers[0];
  int dpi = 150;
};

bool endsWith(const std::string& text, const char* suffix) {
  const std::string s(suffix);
  return text.size() > s.size() &&
         platform::ascii::compareNoCase(std::string_view(text).substr(text.size() - s.size()), s) ==
             0;
}

// "" when the arguments are well formed, else what is wrong with them.
std::string parse(const Args& args, PageOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = a == "-o" || a == "--dpi" || a == "--paper";
    if (valued && i + 1 == args.size()) return a + " needs a value";
    if (a == "-o") {
      o.out = args[++i];
    } else if (a == "--dpi") {
      const std::string& v = args[++i];
      if (v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string::npos ||
          std::stoi(v) < kMinDpi || std::stoi(v) > kMaxDpi)
        return "--dpi takes a whole number from " + std::to_string(kMinDpi) + " to " +
               std::to_string(kMaxDpi);
      o.dpi = std::stoi(v);
    } else if (a == "--paper") {
      o.paper = findPaper(args[++i]);
      if (o.paper == nullptr) return "--paper takes a4 or letter";
    } else if (o.spoolFile.empty() && !a.empty() && a.front() != '-') {
      o.spoolFile = a;
    } else {
      return "unexpected argument '" + a + "'";
    }
  }
  if (o.spoolFile.empty()) return "no spool file";
  if (o.out.empty()) return "no output file (-o OUT)";
  if (endsWith(o.out, ".png")) o.kind = OutputKind::Png;
  else if (!endsWith(o.out, ".pdf")) return "the output file's name ends in .pdf or .png";
  return "";
}

// The first text that lies outside the page, as an error; a text may run
// past the right edge, but not begin beyond it.
void requireOnPage(const SpoolPages& pages, const PageSize& size, const Paper& paper) {
  const char* orientation = pages.orientation == Orientation::Portrait ? "portrait" : "landscape";
  for (const std::vector<PlacedText>& page : pages.pages)
    for (const PlacedText& t : page) {
      const bool right = t.x >= size.width;
      if (!right && t.y < size.height) continue;
      throw SpoolFileError(
          t.line, std::string(right ? "horizontal position " : "vertical position ") +
                      std::to_string(right ? t.x : t.y) + " lies off the page (" + paper.name +
                      " " + orientation + " is " + std::to_string(static_cast<int>(size.width)) +
                      " by " + std::to_string(static_cast<int>(size.height)) + " twips)");
    }
}

int failed(const std::string& file, const platform::Error& e) {
  std::fprintf(stderr, "zelhost page: %s: error %d: %s%s%s\n", file.c_str(), e.number(),
               e.description().c_str(), e.cause().empty() ? "" : "; ", e.cause().c_str());
  return 1;
}

}  // namespace

int pageCommand(const Args& args) {
  PageOptions o;
  if (const std::string wrong = parse(args, o); !wrong.empty())
    return commandUsageError("page", wrong);
  std::string bytes;
  try {
    bytes = platform::readFileBytes(o.spoolFile);
  } catch (const platform::Error& e) {
    return failed(o.spoolFile, e);
  }
  std::string drawn;
  try {
    std::vector<std::string> warnings;
    const SpoolPages pages = readSpoolFile(bytes, warnings);
    for (const std::string& w : warnings)
      std::fprintf(stderr, "zelhost page: %s: %s\n", o.spoolFile.c_str(), w.c_str());
    const PageSize size = pageSize(*o.paper, pages.orientation);
    requireOnPage(pages, size, *o.paper);
    if (o.kind == OutputKind::Png && pages.pages.size() > 1)
      throw SpoolFileError(pages.pages[1].front().line,
                           "a second page begins here, and a PNG holds one page: write a .pdf "
                           "for all " + std::to_string(pages.pages.size()));
    const FontChoice font = chooseFont(pages.font);
    if (!font.note.empty()) std::fprintf(stderr, "zelhost page: %s\n", font.note.c_str());
    drawn = drawPages(pages, {o.kind, size, font.family, o.dpi});
  } catch (const SpoolFileError& e) {
    std::fprintf(stderr, "zelhost page: %s, line %d: %s\n", o.spoolFile.c_str(), e.line(),
                 e.what());
    return 1;
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "zelhost page: %s\n", e.what());
    return 1;
  }
  try {
    platform::writeFileAtomically(o.out, drawn);
  } catch (const platform::Error& e) {
    return failed(o.out, e);
  }
  return 0;
}

}  // namespace zelhost
