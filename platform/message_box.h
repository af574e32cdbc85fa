// Modal message boxes. There is no desktop: a box is shown on standard error
// as a readable block, a Yes/No question is asked on the terminal when standard
// input is one (otherwise the default button answers, or ZEL_MESSAGE_ANSWER),
// and ZEL_MESSAGE_LOG receives every box as one JSON line.
#pragma once

#include <string_view>

namespace platform {

enum class Icon { None, Information, Question, Critical };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Shows the box and returns the button chosen. `defaultButton` is Ok for an OK
// box and Yes or No for a Yes/No box.
Answer MessageBox(std::string_view text, std::string_view title, Icon icon = Icon::None,
                  Buttons buttons = Buttons::Ok, Answer defaultButton = Answer::Ok);

// How many boxes this process has shown.
int messageBoxCount();

}  // namespace platform
