#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "platform/program.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/test_support.h"

using namespace platform;
using testsupport::readLines;
using testsupport::TempDir;

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.set("ZEL_MESSAGE_LOG", log());
    env_.unset("ZEL_MESSAGE_ANSWER");
  }
  std::string log() const { return dir_ / "messages.jsonl"; }

  TempDir dir_;
  ScopedEnv env_;
  StdinFromDevNull noTerminal_;
};

}  // namespace

TEST_F(MessageBoxTest, TranscriptLineHasItsExactShape) {
  const int before = messageBoxCount();
  EXPECT_EQ(MessageBox("Debe instalar primero el ZEL ", "Mensaje", Icon::Information), Answer::Ok);
  EXPECT_EQ(MessageBox("a \"q\" \\ tab\t\r\nnext\x01 ñ", "Título", Icon::Critical), Answer::Ok);
  EXPECT_EQ(messageBoxCount(), before + 2);
  const std::string program = programName();  // whatever an earlier test left
  EXPECT_EQ(
      readLines(log()),
      (std::vector<std::string>{
          "{\"program\":\"" + program +
              "\",\"title\":\"Mensaje\",\"text\":\"Debe instalar primero el ZEL \","
              "\"icon\":\"information\",\"buttons\":\"ok\",\"default\":\"ok\","
              "\"answer\":\"ok\"}",
          "{\"program\":\"" + program +
              "\",\"title\":\"Título\",\"text\":\"a \\\"q\\\" \\\\ tab\\t\\r\\nnext\\u0001 ñ\","
              "\"icon\":\"critical\",\"buttons\":\"ok\",\"default\":\"ok\","
              "\"answer\":\"ok\"}"}));
}

TEST_F(MessageBoxTest, YesNoWithoutTerminalTakesTheDefaultOrThePresetAnswer) {
  EXPECT_EQ(MessageBox("¿Seguir?", "P", Icon::Question, Buttons::YesNo, Answer::No), Answer::No);
  EXPECT_EQ(MessageBox("¿Seguir?", "P", Icon::Question, Buttons::YesNo, Answer::Yes), Answer::Yes);
  env_.set("ZEL_MESSAGE_ANSWER", "yes");
  EXPECT_EQ(MessageBox("¿Seguir?", "P", Icon::Question, Buttons::YesNo, Answer::No), Answer::Yes);
  env_.set("ZEL_MESSAGE_ANSWER", "no");
  EXPECT_EQ(MessageBox("¿Seguir?", "P", Icon::None, Buttons::YesNo, Answer::Yes), Answer::No);

  const auto lines = readLines(log());
  ASSERT_EQ(lines.size(), 4u);
  const auto tail = [](const std::string& line) { return line.substr(line.find(",\"icon\"")); };
  EXPECT_EQ(tail(lines[0]),
            ",\"icon\":\"question\",\"buttons\":\"yesno\",\"default\":\"no\",\"answer\":\"no\"}");
  EXPECT_EQ(tail(lines[2]),
            ",\"icon\":\"question\",\"buttons\":\"yesno\",\"default\":\"no\",\"answer\":\"yes\"}");
  EXPECT_EQ(tail(lines[3]),
            ",\"icon\":\"none\",\"buttons\":\"yesno\",\"default\":\"yes\",\"answer\":\"no\"}");
}
