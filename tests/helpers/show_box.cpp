// show_box ICON BUTTONS DEFAULT TITLE TEXT
//
// Shows one message box through platform::MessageBox, as the programs do
// (inside runProgram, so the exit status follows their rules), and acts on
// the answer: prints the button the box returned ("ok", "yes" or "no") on
// standard output. ICON is none, information, question, exclamation or
// critical; BUTTONS ok or yesno; DEFAULT ok, yes or no.
#include <cstdio>
#include <map>
#include <string>

#include "platform/message_box.h"
#include "platform/program.h"

using platform::Answer;
using platform::Buttons;
using platform::Icon;

int main(int argc, char** argv) {
  const std::map<std::string, Icon> icons = {{"none", Icon::None},
                                             {"information", Icon::Information},
                                             {"question", Icon::Question},
                                             {"exclamation", Icon::Exclamation},
                                             {"critical", Icon::Critical}};
  const std::map<std::string, Answer> answers = {
      {"ok", Answer::Ok}, {"yes", Answer::Yes}, {"no", Answer::No}};
  if (argc != 6 || !icons.count(argv[1]) || !answers.count(argv[3])) {
    std::fprintf(stderr, "usage: show_box ICON ok|yesno ok|yes|no TITLE TEXT\n");
    return 2;
  }
  const Buttons buttons = std::string(argv[2]) == "yesno" ? Buttons::YesNo : Buttons::Ok;
  return platform::runProgram("show_box", [&] {
    const Answer answer =
        platform::MessageBox(argv[5], argv[4], icons.at(argv[1]), buttons, answers.at(argv[3]));
    std::printf("%s\n", answer == Answer::Yes ? "yes" : answer == Answer::No ? "no" : "ok");
  });
}
