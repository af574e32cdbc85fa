#include "tools/zelhost/page/spool_file.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/text.h"

namespace zelhost::page {
namespace {

constexpr std::string_view kMarkupStart = "<!";
constexpr std::string_view kRecordTag = "pPos";
constexpr std::size_t kRecordFields = 7;  // the tag and six values, each ended by '|'
constexpr double kMaxPoints = 1000;

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// Built by appending: GCC 12 takes "'" + text + "'" for an overlapping copy
// at -O3 (-Wrestrict).
std::string quoted(std::string_view text) {
  std::string out(1, '\'');
  out += platform::fromAnsi(text);
  out += '\'';
  return out;
}

// A whole number of at most `max`; `what` names it in the messages.
int count(std::string_view field, const char* what, int max, int line) {
  if (field.size() > 1 && field.front() == '-' && allDigits(field.substr(1)))
    throw SpoolFileError(line, std::string(what) + " " + std::string(field) + " is negative");
  if (!allDigits(field))
    throw SpoolFileError(line, std::string(what) + " " + quoted(field) + " is not a number");
  if (field.size() > 9 || std::stoi(std::string(field)) > max)
    throw SpoolFileError(line, std::string(what) + " " + std::string(field) +
                                   " is out of range (at most " + std::to_string(max) + ")");
  return std::stoi(std::string(field));
}

// A font size: digits with at most one '.', from above 0 up to kMaxPoints.
double points(std::string_view field, int line) {
  const bool wellFormed = field.find_first_not_of("0123456789.") == std::string_view::npos &&
                          field.find_first_of("0123456789") != std::string_view::npos &&
                          field.find('.') == field.rfind('.');
  const double value = wellFormed ? std::strtod(std::string(field).c_str(), nullptr) : -1;
  if (value <= 0 || value > kMaxPoints)
    throw SpoolFileError(line, "font size " + quoted(field) + " is not a size in points from 1 to " +
                                   std::to_string(static_cast<int>(kMaxPoints)));
  return value;
}

bool boldFlag(std::string_view field, int line) {
  if (field == "True") return true;
  if (field == "False") return false;
  throw SpoolFileError(line, "bold " + quoted(field) + " is neither True nor False");
}

// "pPos|x|y|text|bold|size|page|" split at its '|'; nullopt when the line
// does not begin with the record's tag.
std::optional<std::vector<std::string_view>> recordFields(std::string_view text, int line) {
  if (text.substr(0, kRecordTag.size() + 1) != std::string(kRecordTag) + "|") return std::nullopt;
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find('|', start)) != std::string_view::npos; start = bar + 1)
    fields.push_back(text.substr(start, bar - start));
  if (fields.size() != kRecordFields || start != text.size())
    throw SpoolFileError(line, "a position record holds " + std::to_string(kRecordFields - 1) +
                                   " fields after pPos, each ended by '|'; this one holds " +
                                   std::to_string(fields.size() - 1) +
                                   (start != text.size() ? " and text after its last '|'" : ""));
  return fields;
}

class Reader {
 public:
  explicit Reader(std::vector<std::string>& warnings) : warnings_(warnings) {}

  void line(std::string_view text, int number) {
    if (text.substr(0, kMarkupStart.size()) == kMarkupStart) return markup(text, number);
    const auto fields = recordFields(text, number);
    if (!fields)
      throw SpoolFileError(number, "neither markup (<!...) nor a position record (pPos|...)");
    record(*fields, number);
  }

  SpoolPages finish() {
    const int pages = static_cast<int>(pages_.pages.size());
    if (pages_.sheets != 0 && pages_.sheets != pages && pages > 0)
      warnings_.push_back("the markup declares " + std::to_string(pages_.sheets) +
                          " sheet(s), the records fill " + std::to_string(pages) +
                          "; every page the records fill is drawn");
    return std::move(pages_);
  }

 private:
  // <!tag!>value<!/tag!>
  void markup(std::string_view text, int number) {
    const std::size_t close = text.find("!>");
    const std::string tag(text.substr(2, close == std::string_view::npos ? 0 : close - 2));
    const std::string end = "<!/" + tag + "!>";
    if (close == std::string_view::npos || tag.empty() || text.size() < close + 2 + end.size() ||
        text.substr(text.size() - end.size()) != end)
      throw SpoolFileError(number, "markup " + quoted(text) + " is not <!name!>value<!/name!>");
    const std::string_view value = text.substr(close + 2, text.size() - close - 2 - end.size());
    if (tag == "font") {
      const std::string font = platform::trimSpaces(platform::fromAnsi(value));
      if (font.empty()) throw SpoolFileError(number, "the font markup names no font");
      pages_.font = font;
    } else if (tag == "Orientacion") {
      if (value != "V" && value != "H")
        throw SpoolFileError(number, "orientation " + quoted(value) +
                                         " is neither V (portrait) nor H (landscape)");
      pages_.orientation = value == "V" ? Orientation::Portrait : Orientation::Landscape;
    } else if (tag == "nHojas") {
      pages_.sheets = count(value, "sheet count", kMaxPosition, number);
    } else if (tag == "Color") {
      // A colour as the host writes it (&H80000005&, the system's window
      // colour): checked, but the page is drawn black on white.
      const std::string_view hex = value.size() > 3 ? value.substr(2, value.size() - 3) : "";
      if (value.substr(0, 2) != "&H" || value.back() != '&' || hex.empty() || hex.size() > 8 ||
          hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string_view::npos)
        throw SpoolFileError(number, "colour " + quoted(value) + " is not &H<hexadecimal>&");
    } else {
      warnings_.push_back("line " + std::to_string(number) + ": markup " + quoted("<!" + tag + "!>") +
                          " is not one the host knows; passed over");
    }
  }

  void record(const std::vector<std::string_view>& f, int number) {
    PlacedText placed;
    placed.x = count(f[1], "horizontal position", kMaxPosition, number);
    placed.y = count(f[2], "vertical position", kMaxPosition, number);
    placed.text = platform::fromAnsi(f[3]);
    placed.bold = boldFlag(f[4], number);
    placed.points = points(f[5], number);
    placed.line = number;
    const int index = count(f[6], "page index", kMaxPosition, number);
    const int current = static_cast<int>(pages_.pages.size()) - 1;
    if (index != current && index != current + 1)
      throw SpoolFileError(number, "page index " + std::to_string(index) + " is out of order: " +
                                       (current < 0 ? "the first page is 0"
                                                    : "page " + std::to_string(current) +
                                                          " is followed by itself or page " +
                                                          std::to_string(current + 1)));
    if (index == current + 1) pages_.pages.emplace_back();
    pages_.pages.back().push_back(std::move(placed));
  }

  std::vector<std::string>& warnings_;
  SpoolPages pages_;
};

}  // namespace

SpoolPages readSpoolFile(std::string_view bytes, std::vector<std::string>& warnings) {
  Reader reader(warnings);
  int number = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(start, end - start);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    reader.line(text, ++number);
    start = end + 1;
  }
  return reader.finish();
}

}  // namespace zelhost::page
