// Message boxes as dialog windows on a real X server (Xvfb, no window
// manager), found and answered with xdotool as a person would with the
// keyboard. Skipped where Xvfb, xdotool or the dialog helper are missing.
#include "gmock/gmock.h"
#include <gtest/gtest.h>

#include "tests/desktop/show_box.h"
#include "tests/desktop/x_session.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;

using desktop::Background;
using testsupport::readLines;
using testsupport::RunResult;
using testsupport::TempDir;

namespace {

class DialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = desktop::missingForDialogs(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
    x_ = std::make_unique<desktop::XServer>();
    ASSERT_FALSE(x_->display().empty()) << "Xvfb did not start";
  }
  std::map<std::string, std::string> env() const {
    return {{"DISPLAY", x_->display()}, {"WAYLAND_DISPLAY", ""},
            {"NO_AT_BRIDGE", "1"},      {"ZEL_MESSAGE_UI", "auto"},
            {"ZEL_MESSAGE_LOG", log()}, {"ZEL_WINDIR", dir_ / "windows"}};
  }
  std::string log() const { return dir_ / "messages.jsonl"; }

  // Runs `argv`, waits for its window titled `title`, types `keys` into it and
  // returns how the program ended.
  RunResult answer(const std::vector<std::string>& argv, const std::string& title,
                   const std::vector<std::string>& keys) {
    Background program(argv, env());
    const std::string window = x_->waitForWindow(title);
    EXPECT_NE(window, "") << "no window titled " << title;
    if (!window.empty()) x_->press(window, keys);
    const auto ended = program.wait();
    EXPECT_TRUE(ended.has_value()) << "the program still waits after " << keys.back();
    return ended.value_or(RunResult{});
  }

  TempDir dir_;
  std::unique_ptr<desktop::XServer> x_;
};

TEST_F(DialogWindow, FormsetupWithoutHostShowsItsBoxAsAWindowThatEnterCloses) {
  const RunResult r = answer({testsupport::program("formsetup")}, "Mensaje", {"Return"});
  EXPECT_EQ(r.exitCode, 1);
  // Only its cause goes to standard error: the box itself is not written as
  // text too.
  EXPECT_EQ(r.err.rfind("formsetup: no ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find("Debe instalar"), std::string::npos) << r.err;
  EXPECT_EQ(testsupport::oneBoxWithCause(
                readLines(log()),
                R"({"program":"formsetup","title":"Mensaje","text":"Debe instalar primero el ZEL ",)"
                R"("icon":"information","buttons":"ok","default":"ok","answer":"ok"})",
                {"PM000.INI"}),
            "");
}

TEST_F(DialogWindow, QuestionIsAnsweredWithTheKeyboard) {
  struct Case {
    std::string defaultButton;
    std::vector<std::string> keys;
    std::string answer;
  };
  const std::vector<Case> cases = {
      {"no", {"Return"}, "no"}, {"yes", {"Return"}, "yes"}, {"no", {"alt+s"}, "yes"},
      {"yes", {"alt+n"}, "no"}, {"yes", {"Escape"}, "no"},  {"no", {"Tab", "Return"}, "yes"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE("default " + c.defaultButton + ", key " + c.keys.back());
    const RunResult r = answer(desktop::tableExistsQuestion(c.defaultButton), "Mensaje", c.keys);
    EXPECT_EQ(r.out, c.answer + "\n") << "the program acts on the answer of the dialog";
    EXPECT_EQ(r.exitCode, 1);
    expected.push_back(desktop::tableExistsLine(c.defaultButton, c.answer));
  }
  EXPECT_EQ(readLines(log()), expected);
}

TEST_F(DialogWindow, OkBoxClosesOnEscapeAndKeepsItsLineFeeds) {
  const auto height = [&](const std::string& text) {
    Background program({desktop::showBoxPath(), "exclamation", "ok", "ok", "Aviso", text}, env());
    const std::string window = x_->waitForWindow("Aviso");
    EXPECT_NE(window, "");
    const int h = x_->size(window).second;
    x_->press(window, {"Escape"});
    const auto ended = program.wait();
    EXPECT_TRUE(ended && ended->out == "ok\n") << "Escape answers OK";
    return h;
  };
  const int oneLine = height("uno dos tres cuatro cinco seis");
  const int sixLines = height("uno\ndos\r\ntres\rcuatro\ncinco\nseis");
  EXPECT_GT(sixLines, oneLine + 40) << "each line end (LF, CR LF, CR) starts a line";
}

TEST_F(DialogWindow, TextModeShowsNoWindowEvenOnADesktop) {
  auto textEnv = env();
  textEnv["ZEL_MESSAGE_UI"] = "text";
  Background program(desktop::tableExistsQuestion("yes"), textEnv);
  const auto ended = program.wait(10);
  ASSERT_TRUE(ended.has_value()) << "the text box waits for nobody";
  EXPECT_EQ(ended->out, "yes\n");
  EXPECT_THAT(ended->err, HasSubstr("== Mensaje [question] =="));
}

}  // namespace
