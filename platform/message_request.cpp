#include "platform/message_request.h"

namespace platform {

const char* iconWord(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return "information";
    case Icon::Question:
      return "question";
    case Icon::Exclamation:
      return "exclamation";
    case Icon::Critical:
      return "critical";
    case Icon::None:
      break;
  }
  return "none";
}

const char* buttonsWord(Buttons buttons) { return buttons == Buttons::Ok ? "ok" : "yesno"; }

const char* answerWord(Answer answer) {
  switch (answer) {
    case Answer::Yes:
      return "yes";
    case Answer::No:
      return "no";
    case Answer::Ok:
      break;
  }
  return "ok";
}

}  // namespace platform
