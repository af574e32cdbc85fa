// Pictures of the three kinds of box as a desktop shows them, taken from
// real runs on Xvfb into build/screenshots/ (the README shows copies kept in
// docs/dialogs/). Skipped where Xvfb, xdotool or the dialog helper are
// missing, or ImageMagick's import is.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/desktop/show_box.h"
#include "tests/desktop/x_session.h"
#include "tests/support/test_support.h"

namespace {

// Width and height from a PNG's header; {0, 0} when it is no PNG.
std::pair<int, int> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  const auto at = [&](std::size_t i) {
    return (static_cast<unsigned char>(bytes[i]) << 24) |
           (static_cast<unsigned char>(bytes[i + 1]) << 16) |
           (static_cast<unsigned char>(bytes[i + 2]) << 8) |
           static_cast<unsigned char>(bytes[i + 3]);
  };
  return {static_cast<int>(at(16)), static_cast<int>(at(20))};
}

TEST(DialogScreenshots, InformationQuestionAndCriticalBoxes) {
  if (const std::string missing = desktop::missingForDialogs(); !missing.empty()) {
    GTEST_SKIP() << missing;
  }
  if (desktop::toolPath("import").empty()) GTEST_SKIP() << "ImageMagick's import is not installed";
  desktop::XServer x;
  ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir / "windows");
  const std::map<std::string, std::string> env = {{"DISPLAY", x.display()},
                                                  {"NO_AT_BRIDGE", "1"},
                                                  {"ZEL_MESSAGE_UI", "auto"},
                                                  {"ZEL_WINDIR", dir / "windows"}};
  std::filesystem::create_directories(ZEL_SCREENSHOT_DIR);

  const std::map<std::string, std::vector<std::string>> runs = {
      {"information", {testsupport::program("formsetup")}},  // no host
      {"question", desktop::tableExistsQuestion("no")},
      {"critical", {testsupport::program("sendsummary"), "0120123456789    0661202400100000001"}},
  };
  for (const auto& [kind, argv] : runs) {
    SCOPED_TRACE(kind);
    desktop::Background program(argv, env);
    const std::string window = x.waitForWindow("Mensaje");
    ASSERT_NE(window, "");
    const std::string png = std::string(ZEL_SCREENSHOT_DIR) + "/dialog-" + kind + ".png";
    std::filesystem::remove(png);
    EXPECT_TRUE(x.screenshot(window, png));
    const auto [width, height] = pngSize(testsupport::readFile(png));
    EXPECT_EQ(std::make_pair(width, height), x.size(window)) << "the picture is the whole window";
    EXPECT_GT(height, 80);
    x.press(window, {"Return"});
    EXPECT_TRUE(program.wait().has_value());
  }
}

}  // namespace
