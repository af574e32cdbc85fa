// A message box as a modal dialog window of the desktop, implemented once per
// system (posix/message_dialog.cpp starts the GTK helper zeldialog; a Windows
// build would call the system's own message box).
#pragma once

#include <optional>
#include <string>

#include "platform/message_request.h"

namespace platform {

struct DialogResult {
  std::optional<Answer> answer;  // nullopt: no dialog could be shown
  std::string failure;           // then why, in a few words
};

// Shows the box as a dialog and waits until it is answered.
DialogResult showAsDialog(const MessageRequest& box);

}  // namespace platform
