// A message box without a desktop: a readable block on standard error; a
// Yes/No question asked on the terminal when standard input is one, otherwise
// answered by ZEL_MESSAGE_ANSWER ("yes", "no") or the default button.
#pragma once

#include "platform/message_request.h"

namespace platform {

Answer showAsText(const MessageRequest& box);

}  // namespace platform
