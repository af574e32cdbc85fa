// A Yes/No box asked on a terminal: standard input is made the slave side of
// a pseudo-terminal and the replies are typed on the master side.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/message_box.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/test_support.h"

using namespace platform;

namespace {

class TerminalQuestion : public ::testing::Test {
 protected:
  void SetUp() override {
    ZEL_SKIP_WITHOUT_POSIX("a pseudo-terminal");
    env_.unset("ZEL_MESSAGE_LOG");
    env_.set("ZEL_MESSAGE_ANSWER", "no");  // a terminal takes precedence
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    const int slave = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    savedStdin_ = ::dup(STDIN_FILENO);
    ::dup2(slave, STDIN_FILENO);
    ::close(slave);
  }
  void TearDown() override {
    if (savedStdin_ >= 0) {
      ::dup2(savedStdin_, STDIN_FILENO);
      ::close(savedStdin_);
    }
    if (master_ >= 0) ::close(master_);
  }
  void type(const std::string& keys) {
    // A short text: its size fits the count of every system's write().
    const auto size = static_cast<unsigned>(keys.size());
    ASSERT_EQ(::write(master_, keys.data(), size), static_cast<ssize_t>(size));
  }
  Answer ask(Answer defaultButton) {
    return MessageBox("¿Desea continuar?", "Pregunta", Icon::Question, Buttons::YesNo,
                      defaultButton);
  }

  ScopedEnv env_;
  int master_ = -1;
  int savedStdin_ = -1;
};

}  // namespace

TEST_F(TerminalQuestion, RepliesInSpanishOrEnglishAndAsksAgainOnNonsense) {
  type("quizás\nSí\n");
  EXPECT_EQ(ask(Answer::No), Answer::Yes);
  type("  s \n");
  EXPECT_EQ(ask(Answer::No), Answer::Yes);
  type("YES\n");
  EXPECT_EQ(ask(Answer::No), Answer::Yes);
  type("n\n");
  EXPECT_EQ(ask(Answer::Yes), Answer::No);
}

TEST_F(TerminalQuestion, EmptyLineTakesTheDefault) {
  type("\n");
  EXPECT_EQ(ask(Answer::Yes), Answer::Yes);
  type("\n");
  EXPECT_EQ(ask(Answer::No), Answer::No);
}
