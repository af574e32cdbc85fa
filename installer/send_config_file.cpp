#include "installer/send_config_file.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace installer {
namespace {

constexpr int kFieldCount = 13;
// Positions within a line are 16-bit signed integers.
constexpr std::size_t kLastPosition = 32767;

const char* const kFieldNames[kFieldCount] = {
    "",           "tabla_o",      "tabla_d",   "tabla_ext", "indice",  "obliga",  "c_tip_doc_d",
    "c_doc_id_d", "c_Formulario", "c_periodo", "c_estado",  "c_envio", "c_semana"};

// A number as the conversion functions read it, without the grouping commas,
// parentheses and radix prefixes a file written elsewhere may mean otherwise.
bool readNumber(const std::string& field, double& value) {
  const std::optional<double> number = platform::parsePlainNumber(field);
  if (!number) return false;
  value = *number;
  return true;
}

std::string fieldLabel(int index) {
  return "el campo " + std::to_string(index + 1) + " (" + kFieldNames[index] + ")";
}

// A byte as the byte conversion makes it: the number rounded to a whole one,
// halves to the even neighbour (2.5 -> 2, 3.5 -> 4), then 0 to 255.
bool readByte(const std::string& field, std::uint8_t& value) {
  double number = 0;
  if (!readNumber(field, number)) return false;
  const double whole = std::nearbyint(number);  // the default rounding: to nearest, ties to even
  if (whole < 0 || whole > 255) return false;
  value = static_cast<std::uint8_t>(whole);
  return true;
}

// A text value as it will be stored: no NUL, no more characters than its column takes.
bool checkText(int index, const std::string& value, std::size_t limit, std::string& why) {
  if (value.find('\0') != std::string::npos) {
    why = fieldLabel(index) + " contiene un carácter nulo";
    return false;
  }
  const std::size_t length = platform::charCount(value);
  if (limit != 0 && length > limit) {
    why = fieldLabel(index) + " tiene " + std::to_string(length) +
          " caracteres y la columna admite " + std::to_string(limit);
    return false;
  }
  return true;
}

// The file's lines, each without its end: CR LF, a lone CR or a lone LF. A
// final line end starts no further line.
std::vector<std::string> splitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(platform::fromAnsi(std::string_view(bytes).substr(start, end - start)));
    start = end + 1;
    if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
      ++start;
  }
  return lines;
}

}  // namespace

bool parseSendConfigLine(const std::string& line, const SendConfigLimits& limits,
                         SendConfigLine& out, std::string& why) {
  std::array<std::string, kFieldCount> fields;
  std::size_t start = 0;     // a byte offset into the UTF-8 line
  std::size_t position = 1;  // the same place counted in characters
  for (int i = 0; i < kFieldCount; ++i) {
    const std::size_t bar = line.find('|', start);
    if (bar == std::string::npos) {
      why = "tiene " + std::to_string(i) + " separadores \"|\" y debe tener 13";
      return false;
    }
    fields[static_cast<std::size_t>(i)] = line.substr(start, bar - start);
    position += platform::charCount(fields[static_cast<std::size_t>(i)]) + 1;
    if (position - 1 > kLastPosition) {
      why = "el separador \"|\" número " + std::to_string(i + 1) +
            " está después de la posición 32767";
      return false;
    }
    start = bar + 1;
  }

  out.tablaO = platform::trimSpaces(fields[1]);
  out.tablaD = fields[2].empty() ? " " : fields[2];
  out.tablaExt = platform::trimSpaces(fields[3]);
  if (!checkText(1, out.tablaO, limits.tablaO, why) ||
      !checkText(2, out.tablaD, limits.tablaD, why) ||
      !checkText(3, out.tablaExt, limits.tablaExt, why))
    return false;
  for (int i = 4; i < 7; ++i) {
    if (!readByte(fields[static_cast<std::size_t>(i)],
                  out.bytes[static_cast<std::size_t>(i - 4)])) {
      why = fieldLabel(i) + " no es un número de 0 a 255: \"" +
            fields[static_cast<std::size_t>(i)] + "\"";
      return false;
    }
  }
  for (int i = 7; i < kFieldCount; ++i) {
    double value = 0;
    if (!readNumber(fields[static_cast<std::size_t>(i)], value)) {
      why = fieldLabel(i) + " no es un número: \"" + fields[static_cast<std::size_t>(i)] + "\"";
      return false;
    }
    out.numbers[static_cast<std::size_t>(i - 7)] = value;
  }
  return true;
}

SendConfigFile readSendConfigFile(const std::string& path, const SendConfigLimits& limits) {
  SendConfigFile file;
  const std::string shown = platform::nativePath(path);
  try {
    const std::vector<std::string> lines = splitLines(platform::readFileBytes(path));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      // A blank line ends the configuration; what follows it is not read.
      if (platform::trimSpaces(lines[i]).empty()) break;
      SendConfigLine values;
      std::string why;
      if (!parseSendConfigLine(lines[i], limits, values, why)) {
        file.lines.clear();
        file.problem = "El archivo " + shown + " tiene un error en la línea " +
                       std::to_string(i + 1) + ": " + why + ".";
        return file;
      }
      file.lines.push_back(std::move(values));
    }
  } catch (const platform::Error& e) {
    // The host's file server gone is no fault of the file: told as such.
    if (e.number() == platform::err::kConnectionLost) throw;
    file.lines.clear();
    file.problem = "No se pudo leer el archivo " + shown + ": " + e.description() + ".";
  }
  return file;
}

}  // namespace installer
