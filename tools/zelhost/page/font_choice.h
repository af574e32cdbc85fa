// Which installed face draws the font a spool file names: that font itself,
// else a face with the same character widths, else fontconfig's choice.
#pragma once

#include <string>

namespace zelhost::page {

struct FontChoice {
  std::string family;  // the face to draw with
  std::string note;    // why it is not the font named; empty when it is
};

FontChoice chooseFont(const std::string& named);

}  // namespace zelhost::page
