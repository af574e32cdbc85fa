// One message box as its presentations see it, and the words that name its
// parts in the transcript and to the dialog helper.
#pragma once

#include <string_view>

#include "platform/message_box.h"

namespace platform {

struct MessageRequest {
  std::string_view text;
  std::string_view title;
  Icon icon;
  Buttons buttons;
  Answer defaultButton;  // Ok on an OK box, Yes or No on a Yes/No box
};

const char* iconWord(Icon icon);           // "none", "information", "question", ...
const char* buttonsWord(Buttons buttons);  // "ok", "yesno"
const char* answerWord(Answer answer);     // "ok", "yes", "no"

}  // namespace platform
