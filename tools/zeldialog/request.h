// What zeldialog is asked to show, read from its command line:
//
//   zeldialog --title TITLE --icon ICON --buttons ok|yesno --default ok|yes|no TEXT
//
// ICON is none, information, question, exclamation or critical. Every option
// is required; TEXT is the last argument.
#pragma once

#include <optional>
#include <string>

namespace zeldialog {

enum class Icon { None, Information, Question, Exclamation, Critical };

struct Request {
  std::string title;
  std::string text;  // valid UTF-8, lines ended by LF alone
  Icon icon = Icon::None;
  bool yesNo = false;
  bool defaultNo = false;  // on a Yes/No box: No is the default button
};

// The request, or nullopt (with the reason in `error`) for a command line of
// another shape.
std::optional<Request> parseRequest(int argc, char** argv, std::string& error);

// `text` as the dialog shows it: bytes that are not UTF-8 replaced, CR LF and
// CR alone made LF, so that a line feed written either way breaks the line.
std::string displayText(const std::string& text);

}  // namespace zeldialog
