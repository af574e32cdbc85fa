// A message box without a desktop: shown on standard error, answered on the
// terminal or by its default, and recorded in the transcript named by
// ZEL_MESSAGE_LOG.
#include "platform/message_box.h"

#include <atomic>

#include "platform/env.h"
#include "platform/json_line.h"
#include "platform/program.h"
#include "platform/text.h"

namespace platform {
namespace {

std::atomic<int> boxesShown{0};

const char* iconWord(Icon icon) {
  switch (icon) {
    case Icon::Information: return "information";
    case Icon::Question: return "question";
    case Icon::Critical: return "critical";
    case Icon::None: break;
  }
  return "none";
}

const char* answerWord(Answer answer) {
  switch (answer) {
    case Answer::Yes: return "yes";
    case Answer::No: return "no";
    case Answer::Ok: break;
  }
  return "ok";
}

std::string block(std::string_view text, std::string_view title, Icon icon, Buttons buttons,
                  Answer defaultButton) {
  std::string out = "\n== ";
  out.append(title).append(" [").append(iconWord(icon)).append("] ==\n");
  out.append(text);
  if (text.empty() || text.back() != '\n') out += '\n';
  if (buttons == Buttons::Ok) {
    out += "[Aceptar]\n";
  } else {
    out += defaultButton == Answer::No ? "[Sí] [No]  (por defecto: No)\n"
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

Answer MessageBox(std::string_view text, std::string_view title, Icon icon, Buttons buttons,
                  Answer defaultButton) {
  if (buttons == Buttons::Ok) {
    defaultButton = Answer::Ok;
  } else if (defaultButton == Answer::Ok) {
    defaultButton = Answer::Yes;
  }
  ++boxesShown;
  env::writeError(block(text, title, icon, buttons, defaultButton));
  const Answer answer = buttons == Buttons::Ok ? Answer::Ok : yesNoAnswer(defaultButton);
  if (buttons == Buttons::YesNo) {
    env::writeError(std::string("-> ") + (answer == Answer::Yes ? "Sí" : "No") + "\n");
  }

  if (const auto log = env::variable("ZEL_MESSAGE_LOG"); log && !log->empty()) {
    JsonObject entry;
    entry.add("program", programName())
        .add("title", title)
        .add("text", text)
        .add("icon", iconWord(icon))
        .add("buttons", buttons == Buttons::Ok ? "ok" : "yesno")
        .add("default", answerWord(defaultButton))
        .add("answer", answerWord(answer));
    env::appendToFile(*log, entry.line());
  }
  return answer;
}

int messageBoxCount() { return boxesShown.load(); }

}  // namespace platform
