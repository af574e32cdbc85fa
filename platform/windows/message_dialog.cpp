// A message box as Windows' own: MessageBoxW, modal to the task. Where no
// desktop answers (a service, a session without a window station) the call
// fails and the box is shown as text instead.
#include "platform/message_dialog.h"

#include <windows.h>

#include "platform/windows/wide.h"

namespace platform {
namespace {

UINT iconStyle(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return MB_ICONINFORMATION;
    case Icon::Question:
      return MB_ICONQUESTION;
    case Icon::Exclamation:
      return MB_ICONEXCLAMATION;
    case Icon::Critical:
      return MB_ICONERROR;
    case Icon::None:
      break;
  }
  return 0;
}

}  // namespace

DialogResult showAsDialog(const MessageRequest& box) {
  UINT style = MB_TASKMODAL | MB_SETFOREGROUND | iconStyle(box.icon);
  if (box.buttons == Buttons::YesNo) {
    style |= MB_YESNO | (box.defaultButton == Answer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
  } else {
    style |= MB_OK;
  }
  const std::wstring text = windows::widen(box.text);
  const std::wstring title = windows::widen(box.title);
  switch (::MessageBoxW(nullptr, text.c_str(), title.c_str(), style)) {
    case IDOK:
      return {Answer::Ok, ""};
    case IDYES:
      return {Answer::Yes, ""};
    case IDNO:
      return {Answer::No, ""};
    case 0:
      return {std::nullopt, "MessageBoxW failed (error " + std::to_string(::GetLastError()) + ")"};
    default:
      return {std::nullopt, "MessageBoxW gave no answer of the box's buttons"};
  }
}

}  // namespace platform
