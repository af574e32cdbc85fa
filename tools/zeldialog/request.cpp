#include "request.h"

#include <glib.h>

#include <map>
#include <string_view>

namespace zeldialog {
namespace {

std::optional<Icon> iconNamed(std::string_view word) {
  static const std::map<std::string_view, Icon> icons = {
      {"none", Icon::None},         {"information", Icon::Information},
      {"question", Icon::Question}, {"exclamation", Icon::Exclamation},
      {"critical", Icon::Critical},
  };
  const auto it = icons.find(word);
  if (it == icons.end()) return std::nullopt;
  return it->second;
}

}  // namespace

std::optional<Request> parseRequest(int argc, char** argv, std::string& error) {
  std::map<std::string_view, std::string_view> options;
  int i = 1;
  for (; i + 1 < argc && std::string_view(argv[i]).starts_with("--"); i += 2) {
    options[std::string_view(argv[i]).substr(2)] = argv[i + 1];
  }
  if (i != argc - 1 || options.size() != 4 || !options.count("title") || !options.count("icon") ||
      !options.count("buttons") || !options.count("default")) {
    error =
        "usage: zeldialog --title TITLE --icon ICON --buttons ok|yesno --default ok|yes|no TEXT";
    return std::nullopt;
  }
  Request request;
  request.title = options["title"];
  request.text = displayText(argv[argc - 1]);
  const auto icon = iconNamed(options["icon"]);
  const std::string_view buttons = options["buttons"];
  const std::string_view defaultButton = options["default"];
  const bool okShape = buttons == "ok" && defaultButton == "ok";
  const bool yesNoShape = buttons == "yesno" && (defaultButton == "yes" || defaultButton == "no");
  if (!icon || !(okShape || yesNoShape)) {
    error = "zeldialog: unknown icon, buttons or default button";
    return std::nullopt;
  }
  request.icon = *icon;
  request.yesNo = yesNoShape;
  request.defaultNo = defaultButton == "no";
  return request;
}

std::string displayText(const std::string& text) {
  gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
  const std::string utf8 = valid;
  g_free(valid);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      out += utf8[i];
    } else if (i + 1 >= utf8.size() || utf8[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

}  // namespace zeldialog
