// A message box: shown as a dialog or as text, as ZEL_MESSAGE_UI chooses, and
// recorded in the transcript named by ZEL_MESSAGE_LOG.
#include "platform/message_box.h"

#include <atomic>
#include <string>

#include "platform/env.h"
#include "platform/json_line.h"
#include "platform/message_dialog.h"
#include "platform/message_text.h"
#include "platform/program.h"

namespace platform {
namespace {

std::atomic<int> boxesShown{0};

std::function<void()>& beforeBoxHook() {
  static std::function<void()> hook;
  return hook;
}

enum class MessageUi { Auto, Dialog, Text };

MessageUi chosenUi() {
  const auto value = env::variable("ZEL_MESSAGE_UI");
  if (!value || value->empty() || *value == "auto") return MessageUi::Auto;
  if (*value == "dialog") return MessageUi::Dialog;
  if (*value == "text") return MessageUi::Text;
  env::writeError(programName() + ": ZEL_MESSAGE_UI=" + *value +
                  " is none of auto, dialog, text; taken as auto\n");
  return MessageUi::Auto;
}

Answer present(const MessageRequest& box) {
  const MessageUi ui = chosenUi();
  if (ui != MessageUi::Text) {
    const DialogResult shown = showAsDialog(box);
    if (shown.answer) return *shown.answer;
    if (ui == MessageUi::Dialog) {
      env::writeError(programName() + ": ZEL_MESSAGE_UI=dialog, but no dialog can be opened: " +
                      shown.failure + "; the message is shown as text\n");
    }
  }
  return showAsText(box);
}

void record(const MessageRequest& box, Answer answer, std::string_view cause) {
  const auto log = env::variable("ZEL_MESSAGE_LOG");
  if (!log || log->empty()) return;
  JsonObject entry;
  entry.add("program", programName())
      .add("title", box.title)
      .add("text", box.text)
      .add("icon", iconWord(box.icon))
      .add("buttons", buttonsWord(box.buttons))
      .add("default", answerWord(box.defaultButton))
      .add("answer", answerWord(answer));
  if (!cause.empty()) entry.add("cause", cause);
  env::appendToFile(*log, entry.line());
}

Answer show(const MessageRequest& box, std::string_view cause) {
  // The hook may end the run (what it finishes first failed for good):
  // then no box shows.
  if (const std::function<void()>& hook = beforeBoxHook()) hook();
  ++boxesShown;
  const Answer answer = present(box);
  if (!cause.empty()) env::writeError(programName() + ": " + std::string(cause) + "\n");
  record(box, answer, cause);
  return answer;
}

}  // namespace

Answer MessageBox(std::string_view text, std::string_view title, Icon icon, Buttons buttons,
                  Answer defaultButton) {
  if (buttons == Buttons::Ok) {
    defaultButton = Answer::Ok;
  } else if (defaultButton == Answer::Ok) {
    defaultButton = Answer::Yes;
  }
  return show({text, title, icon, buttons, defaultButton}, {});
}

void ErrorBox(std::string_view text, std::string_view title, Icon icon, std::string_view cause) {
  show({text, title, icon, Buttons::Ok, Answer::Ok}, cause);
}

void setBeforeBoxHook(std::function<void()> hook) { beforeBoxHook() = std::move(hook); }

int messageBoxCount() { return boxesShown.load(); }

}  // namespace platform
