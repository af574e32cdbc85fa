// ZEL_MESSAGE_UI where no dialog can be shown: no display, a display that
// cannot be opened, no dialog helper. The box is then shown as text, as it
// always was, and only ZEL_MESSAGE_UI=dialog says why on standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/desktop/show_box.h"
#include "tests/desktop/x_session.h"
#include "tests/support/test_support.h"

using testsupport::readLines;
using testsupport::RunResult;
using testsupport::TempDir;

namespace {

const std::string kQuestionBlock = "\n== Mensaje [question] ==\n" + desktop::kTableExistsQuestion +
                                   "\n[Sí] [No]  (por defecto: No)\n-> Sí\n";

class MessageUiFallback : public ::testing::Test {
 protected:
  // The 3010 question, preset to be answered Yes, with `ui` and `display`.
  RunResult ask(const std::string& ui, const std::string& display,
                const std::string& program = desktop::showBoxPath()) {
    std::vector<std::string> argv = desktop::tableExistsQuestion("no");
    argv[0] = program;
    std::map<std::string, std::string> env = {{"DISPLAY", display},
                                              {"WAYLAND_DISPLAY", ""},
                                              {"ZEL_MESSAGE_ANSWER", "yes"},
                                              {"ZEL_MESSAGE_LOG", log()}};
    if (!ui.empty()) env["ZEL_MESSAGE_UI"] = ui;
    return testsupport::runProcess(argv, env);
  }
  std::string log() const { return dir_ / "messages.jsonl"; }
  void expectAnsweredYesAsText(const RunResult& r, const std::string& error) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "yes\n") << "the program acts on the text answer";
    EXPECT_EQ(r.err, error + kQuestionBlock);
    EXPECT_EQ(readLines(log()), std::vector<std::string>{desktop::tableExistsLine("no", "yes")});
  }

  TempDir dir_;
};

const std::string kDialogError = "show_box: ZEL_MESSAGE_UI=dialog, but no dialog can be opened: ";

TEST_F(MessageUiFallback, WithoutDisplayAutoAndTextAreTodaysTextAndDialogSaysWhy) {
  for (const std::string ui : {"", "auto", "text"}) {
    SCOPED_TRACE("ZEL_MESSAGE_UI=" + ui);
    std::filesystem::remove(log());
    expectAnsweredYesAsText(ask(ui, ""), "");
  }
  std::filesystem::remove(log());
  expectAnsweredYesAsText(ask("dialog", ""), kDialogError +
                                                 "neither DISPLAY nor WAYLAND_DISPLAY is set; the "
                                                 "message is shown as text\n");
}

TEST_F(MessageUiFallback, UnknownValueIsNamedAndTakenAsAuto) {
  expectAnsweredYesAsText(ask("gtk", ""),
                          "show_box: ZEL_MESSAGE_UI=gtk is none of auto, dialog, text; taken as "
                          "auto\n");
}

TEST_F(MessageUiFallback, ProgramWithoutItsDialogHelperShowsText) {
  // A copy of the program in a folder of its own has no helper beside it.
  const std::string copy = dir_ / "show_box";
  std::filesystem::copy_file(desktop::showBoxPath(), copy);
  const std::string helper = dir_.path() + "/../libexec/zel0661/zeldialog";
  expectAnsweredYesAsText(ask("auto", ":0", copy), "");
  std::filesystem::remove(log());
  const RunResult r = ask("dialog", ":0", copy);
  expectAnsweredYesAsText(r, kDialogError + "the dialog helper " + helper +
                                 " is not installed; the message is shown as text\n");
}

TEST_F(MessageUiFallback, DisplayThatCannotBeOpenedShowsText) {
#ifndef ZEL_DIALOG_HELPER
  GTEST_SKIP() << "the dialog helper zeldialog was not built (GTK 3 not found at configure time)";
#endif
  const std::string nowhere = "/nonexistent/zel-display:0";
  expectAnsweredYesAsText(ask("auto", nowhere), "");
  std::filesystem::remove(log());
  expectAnsweredYesAsText(ask("dialog", nowhere), kDialogError +
                                                      "zeldialog: cannot open display '" + nowhere +
                                                      "'; the message is shown as text\n");
}

}  // namespace
