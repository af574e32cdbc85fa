// A spool file read back as pages: the markup lines that set the page up
// (font, orientation, number of sheets, colour) and the position records,
// each text at its place in twips from the page's top-left corner.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelhost::page {

enum class Orientation { Portrait, Landscape };  // markup V and H

struct PlacedText {
  int x = 0;  // twips from the left edge
  int y = 0;  // twips from the top edge, to the top of the text
  std::string text;  // UTF-8, read from the file's Windows-1252 bytes
  bool bold = false;
  double points = 0;  // font size
  int line = 0;       // where the record stands in the file, from 1
};

struct SpoolPages {
  std::string font = "Courier New";  // as the host's programs write it when none is named
  Orientation orientation = Orientation::Portrait;
  int sheets = 0;  // the sheet count its markup declares; 0 when none
  std::vector<std::vector<PlacedText>> pages;  // by page index, from 0
};

// A line that makes the file unreadable, with where it stands.
class SpoolFileError : public std::runtime_error {
 public:
  SpoolFileError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// The greatest position a record may hold: the writer keeps it in a 16-bit
// integer.
inline constexpr int kMaxPosition = 32767;

// Reads the bytes of a spool file. Raises SpoolFileError for a line that is
// neither markup nor a well-formed record, and for a page index out of
// order; appends to `warnings` ("line N: ...") what is passed over, such as
// markup of a kind the host does not know.
SpoolPages readSpoolFile(std::string_view bytes, std::vector<std::string>& warnings);

}  // namespace zelhost::page
