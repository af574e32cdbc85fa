#include "platform/ini_text.h"

#include <vector>

#include "platform/text.h"

namespace platform::ini {
namespace {

enum class Kind { Blank, Comment, Section, Key, Other };

struct Parsed {
  Kind kind = Kind::Blank;
  std::string_view name;   // section or key name, blanks stripped
  std::string_view value;  // key value, blanks stripped
};

constexpr std::string_view kBlanks = " \t";

std::string_view stripBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

Parsed parse(std::string_view text) {
  const std::string_view body = stripBlanks(text);
  if (body.empty()) return {Kind::Blank, {}, {}};
  if (body.front() == ';') return {Kind::Comment, {}, {}};
  if (body.front() == '[') {
    std::string_view name = body.substr(1);
    name = name.substr(0, name.find(']'));
    return {Kind::Section, stripBlanks(name), {}};
  }
  const std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return {Kind::Other, {}, {}};
  return {Kind::Key, stripBlanks(body.substr(0, eq)), stripBlanks(body.substr(eq + 1))};
}

// Names compare by their upper case, so that accented letters match too.
class NameMatcher {
 public:
  explicit NameMatcher(std::string_view utf8Name) : wanted_(upperCase(trimSpaces(utf8Name))) {}
  bool matches(std::string_view name) const { return upperCase(name) == wanted_; }
  bool empty() const { return wanted_.empty(); }

 private:
  std::string wanted_;
};

std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Where a section's lines are: its header (none for the lines before the
// first header) and the lines up to the next header.
struct SectionSpan {
  std::optional<std::size_t> header;
  std::size_t begin;  // its first line after the header
  std::size_t end;    // one past its last line
};

bool isEntry(Kind kind) { return kind == Kind::Key || kind == Kind::Other; }

std::size_t nextHeader(const std::vector<Line>& lines, std::size_t from) {
  while (from < lines.size() && parse(lines[from].text).kind != Kind::Section) ++from;
  return from;
}

// The first section of that name. Entries before the first header are read
// by Windows as the section named "", which comes before any "[]".
std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const NameMatcher& section) {
  const std::size_t firstHeader = nextHeader(lines, 0);
  if (section.empty()) {
    for (std::size_t i = 0; i < firstHeader; ++i) {
      if (isEntry(parse(lines[i].text).kind)) return SectionSpan{std::nullopt, 0, firstHeader};
    }
  }
  for (std::size_t i = firstHeader; i < lines.size(); i = nextHeader(lines, i + 1)) {
    if (section.matches(parse(lines[i].text).name)) {
      return SectionSpan{i, i + 1, nextHeader(lines, i + 1)};
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionSpan span,
                                   const NameMatcher& key) {
  for (std::size_t i = span.begin; i < span.end; ++i) {
    const Parsed p = parse(lines[i].text);
    if (p.kind == Kind::Key && key.matches(p.name)) return i;
  }
  return std::nullopt;
}

// The end new lines take: the one every line of the file ends with, or CR LF
// where they differ (or none ends).
std::string_view newLineEnding(const std::vector<Line>& lines) {
  std::string_view common;
  for (const Line& line : lines) {
    if (line.ending.empty()) continue;
    if (!common.empty() && line.ending != common) return "\r\n";
    common = line.ending;
  }
  return common.empty() ? std::string_view("\r\n") : common;
}

}  // namespace

std::optional<std::string> lookUp(const std::vector<Line>& lines, std::string_view section,
                                  std::string_view key) {
  const NameMatcher keyName(key);
  if (keyName.empty()) return std::nullopt;
  const auto span = findSection(lines, NameMatcher(section));
  if (!span) return std::nullopt;
  const auto at = findKey(lines, *span, keyName);
  if (!at) return std::nullopt;
  return std::string(unquote(parse(lines[*at].text).value));
}

std::string withValue(const std::vector<Line>& lines, std::string_view section,
                      std::string_view key, std::optional<std::string_view> value, Encode encode) {
  const std::string sectionName = trimSpaces(section);
  const std::string keyName = trimSpaces(key);
  const auto span = findSection(lines, NameMatcher(sectionName));
  const auto keyAt = span ? findKey(lines, *span, NameMatcher(keyName)) : std::nullopt;
  const std::string_view ending = newLineEnding(lines);
  const std::string newEntry = value ? keyName + "=" + std::string(*value) : std::string();

  // The line after which a new key goes: the section's last entry (a section
  // without a header always has one).
  std::optional<std::size_t> insertAfter;
  if (span && !keyAt && value) {
    insertAfter = span->header;
    for (std::size_t i = span->begin; i < span->end; ++i) {
      if (isEntry(parse(lines[i].text).kind)) insertAfter = i;
    }
  }

  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (keyAt && i == *keyAt) {
      if (!value) continue;  // removed
      const std::string_view spelling = parse(line.text).name;
      out += encode(std::string(spelling).append("=").append(*value).append(line.ending));
      continue;
    }
    out.append(line.bytes);
    if (insertAfter && i == *insertAfter) {
      const std::string_view lineEnd = line.ending.empty() ? ending : std::string_view();
      out += encode(std::string(lineEnd).append(newEntry).append(ending));
    }
  }

  if (!span && value) {
    const bool unended = !lines.empty() && lines.back().ending.empty();
    out += encode(std::string(unended ? ending : std::string_view())
                      .append("[")
                      .append(sectionName)
                      .append("]")
                      .append(ending)
                      .append(newEntry)
                      .append(ending));
  }
  return out;
}

}  // namespace platform::ini
