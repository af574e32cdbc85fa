#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/program.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/test_support.h"

using namespace platform;
using testsupport::readLines;
using testsupport::TempDir;

namespace {

class RunProgram : public ::testing::Test {
 protected:
  void SetUp() override { env_.set("ZEL_MESSAGE_LOG", log()); }
  std::string log() const { return dir_ / "messages.jsonl"; }

  int run(const std::function<void()>& body) { return runProgram("sendsummary", body); }

  char arg0_[5] = "prog", arg1_[16] = "0000000001 0661", arg2_[2] = "x";
  char* argv_[4] = {arg0_, arg1_, arg2_, nullptr};

  TempDir dir_;
  ScopedEnv env_;
  StdinFromDevNull noTerminal_;
};

struct Witness {
  bool* destroyed;
  ~Witness() { *destroyed = true; }
};

}  // namespace

TEST_F(RunProgram, CleanRunReturnsZeroAndSetsNameAndCommandLine) {
  std::string seen;
  EXPECT_EQ(run([&] { seen = programName() + "|" + commandLine(3, argv_); }), 0);
  EXPECT_EQ(seen, "sendsummary|0000000001 0661 x");
  EXPECT_TRUE(readLines(log()).empty());
}

TEST_F(RunProgram, EndProgramUnwindsAndAnyBoxMakesTheStatusOne) {
  bool destroyed = false;
  bool after = false;
  EXPECT_EQ(run([&] {
              Witness w{&destroyed};
              endProgram();
              after = true;
            }),
            0);
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(after);

  EXPECT_EQ(run([] { MessageBox("aviso", "t", Icon::Information); }), 1);
  EXPECT_EQ(run([] {
              MessageBox("aviso", "t");
              endProgram();
            }),
            1);
}

TEST_F(RunProgram, UncaughtErrorShowsTheRunTimeErrorBox) {
  EXPECT_EQ(run([] { throw makeError(err::kFileNotFound); }), 1);
  EXPECT_EQ(run([] { throw std::logic_error("bug"); }), 1);
  EXPECT_EQ(run([] { throw 42; }), 1);
  const auto lines = readLines(log());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "{\"program\":\"sendsummary\",\"title\":\"sendsummary\",\"text\":\"Error en tiempo de "
            "ejecución '53':\\n\\nNo se ha encontrado el archivo\",\"icon\":\"critical\","
            "\"buttons\":\"ok\",\"default\":\"ok\",\"answer\":\"ok\"}");
  EXPECT_NE(lines[1].find("'5':\\n\\nLlamada a procedimiento o argumento no válido\""),
            std::string::npos);
  EXPECT_EQ(lines[2], lines[1]);
}

TEST(Clock, SourceDateEpochFixesTheInstantInUtc) {
  ScopedEnv env;
  env.set("TZ", "America/Lima");
  env.set("SOURCE_DATE_EPOCH", "1700000000");  // 2023-11-14 22:13:20 UTC
  const DateTime t = now();
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
            (std::vector<int>{2023, 11, 14, 22, 13, 20}));

  env.set("SOURCE_DATE_EPOCH", "-86399");  // 1969-12-31 00:00:01
  const DateTime before = now();
  EXPECT_EQ((std::vector<int>{before.year, before.month, before.day, before.second}),
            (std::vector<int>{1969, 12, 31, 1}));
}

TEST(Clock, WithoutSourceDateEpochItIsTheLocalTime) {
  ScopedEnv env;
  env.set("SOURCE_DATE_EPOCH", "not a number");
  env.set("TZ", "UTC");
  tzset();
  const time_t before = time(nullptr);
  const DateTime t = now();
  tm utc{};
  gmtime_r(&before, &utc);
  EXPECT_EQ(t.year, utc.tm_year + 1900);
  EXPECT_EQ(t.day, utc.tm_mday);
  EXPECT_NEAR(t.hour * 3600 + t.minute * 60 + t.second,
              utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec, 2.0);
}
