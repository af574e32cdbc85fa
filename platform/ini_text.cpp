#include "platform/ini_text.h"

#include <vector>

#include "platform/text.h"

namespace platform::ini {
namespace {

struct Line {
  std::string_view text;    // without its end
  std::string_view ending;  // "\r\n", "\r", "\n" or "" (last line)
};

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

// Lines end at CR LF, at CR alone and at LF alone, as Windows reads them; so
// CR CR LF ends a line and then an empty one.
std::vector<Line> splitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({content.substr(pos), {}});
      break;
    }
    const std::size_t next =
        content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? end + 2 : end + 1;
    lines.push_back({content.substr(pos, end - pos), content.substr(end, next - end)});
    pos = next;
  }
  return lines;
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

// Where a section's lines are: its header and the lines up to the next one.
struct SectionSpan {
  std::size_t header;
  std::size_t end;  // one past its last line
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const NameMatcher& section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Parsed p = parse(lines[i].text);
    if (p.kind != Kind::Section || !section.matches(p.name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && parse(lines[end].text).kind != Kind::Section) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionSpan span,
                                   const NameMatcher& key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const Parsed p = parse(lines[i].text);
    if (p.kind == Kind::Key && key.matches(p.name)) return i;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> lookUp(std::string_view content, std::string_view section,
                                  std::string_view key) {
  const NameMatcher keyName(key);
  if (keyName.empty()) return std::nullopt;
  const std::vector<Line> lines = splitLines(content);
  const auto span = findSection(lines, NameMatcher(section));
  if (!span) return std::nullopt;
  const auto at = findKey(lines, *span, keyName);
  if (!at) return std::nullopt;
  return std::string(unquote(parse(lines[*at].text).value));
}

std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::optional<std::string_view> value) {
  const std::string sectionName = trimSpaces(section);
  const std::string keyName = trimSpaces(key);
  const std::vector<Line> lines = splitLines(content);
  const auto span = findSection(lines, NameMatcher(sectionName));
  const auto keyAt = span ? findKey(lines, *span, NameMatcher(keyName)) : std::nullopt;

  const std::string newEntry = value ? keyName + "=" + std::string(*value) : std::string();

  // The line after which a new key goes: the section's last entry.
  std::optional<std::size_t> insertAfter;
  if (span && !keyAt && value) {
    insertAfter = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
      const Kind kind = parse(lines[i].text).kind;
      if (kind == Kind::Key || kind == Kind::Other) insertAfter = i;
    }
  }

  std::string out;
  out.reserve(content.size() + newEntry.size() + sectionName.size() + 8);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (keyAt && i == *keyAt) {
      if (!value) continue;  // removed
      const std::string_view spelling = parse(line.text).name;
      out.append(spelling).append("=").append(*value).append(line.ending);
      continue;
    }
    out.append(line.text);
    if (insertAfter && i == *insertAfter) {
      out.append(line.ending.empty() ? std::string_view("\r\n") : line.ending);
      out.append(newEntry).append("\r\n");
    } else {
      out.append(line.ending);
    }
  }

  if (!span && value) {
    if (!lines.empty() && lines.back().ending.empty()) out.append("\r\n");
    out.append("[").append(sectionName).append("]\r\n");
    out.append(newEntry).append("\r\n");
  }
  return out;
}

}  // namespace platform::ini
