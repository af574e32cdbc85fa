#include "platform/message_text.h"

#include <optional>
#include <string>

#include "platform/env.h"
#include "platform/text.h"

namespace platform {
namespace {

std::string block(const MessageRequest& box) {
  std::string out = "\n== ";
  out.append(box.title).append(" [").append(iconWord(box.icon)).append("] ==\n");
  out.append(box.text);
  if (box.text.empty() || box.text.back() != '\n') out += '\n';
  if (box.buttons == Buttons::Ok) {
    out += "[Aceptar]\n";
  } else {
    out += box.defaultButton == Answer::No ? "[Sí] [No]  (por defecto: No)\n"
                                           : "[Sí] [No]  (por defecto: Sí)\n";
  }
  return out;
}

// y, yes, s, si, sí -> Yes; n, no -> No; empty -> the default.
std::optional<Answer> parseReply(std::string_view reply, Answer defaultButton) {
  const std::string word = upperCase(trimSpaces(reply));
  if (word.empty()) return defaultButton;
  if (word == "Y" || word == "YES" || word == "S" || word == "SI" || word == "SÍ") {
    return Answer::Yes;
  }
  if (word == "N" || word == "NO") return Answer::No;
  return std::nullopt;
}

Answer askOnTerminal(Answer defaultButton) {
  for (;;) {
    env::writeError(defaultButton == Answer::No ? "¿Sí o no? [s/N] " : "¿Sí o no? [S/n] ");
    const auto line = env::readInputLine();
    if (!line) return defaultButton;
    if (const auto answer = parseReply(*line, defaultButton)) return *answer;
  }
}

Answer yesNoAnswer(Answer defaultButton) {
  if (env::inputIsTerminal()) return askOnTerminal(defaultButton);
  if (const auto preset = env::variable("ZEL_MESSAGE_ANSWER")) {
    if (*preset == "yes") return Answer::Yes;
    if (*preset == "no") return Answer::No;
  }
  return defaultButton;
}

}  // namespace

Answer showAsText(const MessageRequest& box) {
  env::writeError(block(box));
  if (box.buttons == Buttons::Ok) return Answer::Ok;
  const Answer answer = yesNoAnswer(box.defaultButton);
  env::writeError(std::string("-> ") + (answer == Answer::Yes ? "Sí" : "No") + "\n");
  return answer;
}

}  // namespace platform
