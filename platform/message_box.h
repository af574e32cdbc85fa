// Modal message boxes. On a desktop a box is a dialog window; otherwise it is
// shown on standard error as a readable block, and a Yes/No question is asked
// on the terminal when standard input is one (otherwise the default button
// answers, or ZEL_MESSAGE_ANSWER). ZEL_MESSAGE_UI chooses: "auto" (the
// default: a dialog when one can be opened), "dialog" (a dialog, or an error
// on standard error and the text), "text". ZEL_MESSAGE_LOG receives every box
// and its answer as one JSON line, however it was shown.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Shows the box, waits until it is answered and returns the button chosen. `defaultButton` is Ok
// for an OK box and Yes or No for a Yes/No box.
Answer MessageBox(std::string_view text, std::string_view title, Icon icon = Icon::None,
                  Buttons buttons = Buttons::Ok, Answer defaultButton = Answer::Ok);

// What the program gives up before a box waits for a person (the host's run
// lock); it takes it again itself when it needs it after the box. Must not
// raise. An empty function for none.
void setBeforeBoxHook(std::function<void()> hook);

// A box that reports a failure, shown as MessageBox(text, title, icon) shows
// it. The failure's `cause`, when there is one, follows the box on standard
// error (however the box was shown: a desktop keeps standard error in its
// session log) and is the field "cause" of its ZEL_MESSAGE_LOG entry.
void ErrorBox(std::string_view text, std::string_view title, Icon icon, std::string_view cause);

// How many boxes this process has shown.
int messageBoxCount();

}  // namespace platform
