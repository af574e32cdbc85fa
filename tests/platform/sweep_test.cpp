// The sweep's decisions on a scripted folder, every call written down in
// the order made: which files go, which come back, when the folder is
// synced and given back, and that a folder in use keeps everything.
#include "platform/sweep.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <stdexcept>

namespace {

// Entries ending in "/" are folders; no file's time can be read (the real
// comparison is StagedFiles.SweepPutsATaggedFileInPlaceWhereItsWorkWasDone's).
class ScriptedFolder final : public platform::env::SweepCalls {
 public:
  ScriptedFolder(std::set<std::string> names, bool inUse, bool renameHeld)
      : names_(std::move(names)), inUse_(inUse), renameHeld_(renameHeld) {}
  bool hold() override { return !inUse_ && note("hold") && (held_ = true); }
  void release() override { held_ = !note("release"); }
  bool renamesWhileHeld() const override { return renameHeld_; }
  void listEntries(const std::function<void(std::string_view)>& visit) override {
    for (std::string name : std::set<std::string>(names_)) {
      if (name.back() == '/') name.pop_back();
      visit(name);
    }
  }
  bool isRegularFile(const std::string& name) override { return names_.count(name) != 0; }
  bool isMissing(const std::string& name) override {
    return names_.count(name) == 0 && names_.count(name + "/") == 0;
  }
  std::optional<platform::env::Instant> modifiedAt(const std::string&) override {
    return std::nullopt;
  }
  bool rename(const std::string& from, const std::string& to) override {
    EXPECT_EQ(held_, renameHeld_) << from;
    return names_.erase(from) && names_.insert(to).second && note("rename " + from + " " + to);
  }
  bool replace(const std::string& from, const std::string& to) override {
    EXPECT_EQ(held_, renameHeld_) << from;
    return names_.erase(from) && (names_.insert(to), note("replace " + from + " " + to));
  }
  bool remove(const std::string& name) override {
    EXPECT_TRUE(held_) << name;
    return names_.erase(name) && note("remove " + name);
  }
  void sync() override { note(held_ ? "sync" : "sync unheld"); }
  bool note(const std::string& call) { return log.push_back(call), true; }
  std::vector<std::string> log;

 private:
  std::set<std::string> names_;
  bool inUse_, renameHeld_, held_ = false;
};

TEST(Sweep, DecidesEachFileOfOurNamingAndLeavesTheRest) {
  struct Case {
    std::set<std::string> names;
    bool inUse, renameHeld;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      // Kept aside, its target missing: back in place; present: removed.
      {{".e.PRN~k3pT0a"}, false, true, {"hold", "rename .e.PRN~k3pT0a e.PRN", "sync", "release"}},
      {{".f.PRN~q9Lm2Z", "f.PRN"},
       false,
       true,
       {"hold", "remove .f.PRN~q9Lm2Z", "sync", "release"}},
      // A temporary file goes, its target there or not.
      {{".a.PRN.Ab12Z9", ".b.PRN.000000", "b.PRN"},
       false,
       true,
       {"hold", "remove .a.PRN.Ab12Z9", "remove .b.PRN.000000", "sync", "release"}},
      // Another target's, names only alike, folders of our naming: left, no sync.
      {{".a.txt.Ab12Z9", ".a.PRN.Ab12Z", ".a.PRN.lock", "a.PRN.Ab12Z9", ".c.PRN.Ab12Z9/",
        ".g.PRN~Ab12Z9/"},
       false,
       true,
       {"hold", "release"}},
      // A folder in use: nothing touched.
      {{".a.PRN.Ab12Z9", ".e.PRN~k3pT0a"}, true, true, {}},
      // Where renames wait for the hold's end: removals and the sync under it.
      {{".a.PRN.Ab12Z9", ".e.PRN~k3pT0a"},
       false,
       false,
       {"hold", "remove .a.PRN.Ab12Z9", "sync", "release", "rename .e.PRN~k3pT0a e.PRN"}},
      {{".e.PRN~k3pT0a"}, false, false, {"hold", "release", "rename .e.PRN~k3pT0a e.PRN"}},
  };
  for (const Case& c : cases) {
    ScriptedFolder folder(c.names, c.inUse, c.renameHeld);
    platform::env::sweepFolder(folder, [](std::string_view target) {
      return target.size() > 4 && target.substr(target.size() - 4) == ".PRN";
    });
    EXPECT_EQ(folder.log, c.log) << testing::PrintToString(c.names);
  }
}

// A tagged file's maker decides by its tag: "P" place it, "L" leave it; "T"
// cannot tell (throws), which leaves it too.
TEST(Sweep, PutsATaggedFileInPlaceOnlyWhereItsMakerSaysAndNoNewerTargetStands) {
  using platform::env::TaggedFate;
  struct Case {
    std::set<std::string> names;
    bool renameHeld;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {{".a.PRN+P.Ab12Z9"},
       true,
       {"hold", "ask P", "replace .a.PRN+P.Ab12Z9 a.PRN", "sync", "release"}},
      // A target not known to be older may be a later publication's: the
      // file goes unasked.
      {{".a.PRN+P.Ab12Z9", "a.PRN"}, true, {"hold", "remove .a.PRN+P.Ab12Z9", "sync", "release"}},
      {{".a.PRN+L.Ab12Z9", ".b.PRN+T.Ab12Z9"}, true, {"hold", "ask L", "ask T", "release"}},
      // No tag (a mark not followed by letters or digits only): the mark is
      // part of the target's name.
      {{".x+.PRN.Ab12Z9", ".y.PRN+.Ab12Z9"},
       true,
       {"hold", "remove .x+.PRN.Ab12Z9", "sync", "release"}},
      // Where renames wait for the hold's end.
      {{".a.PRN+P.Ab12Z9"}, false, {"hold", "ask P", "release", "replace .a.PRN+P.Ab12Z9 a.PRN"}},
  };
  for (const Case& c : cases) {
    ScriptedFolder folder(c.names, false, c.renameHeld);
    platform::env::sweepFolder(
        folder,
        [](std::string_view target) {
          return target.size() > 4 && target.substr(target.size() - 4) == ".PRN";
        },
        [&folder](std::string_view, std::string_view tag) {
          folder.note(std::string("ask ").append(tag));
          if (tag == "T") throw std::runtime_error("the register cannot be read");
          return tag == "P" ? TaggedFate::Place : TaggedFate::Leave;
        });
    EXPECT_EQ(folder.log, c.log) << testing::PrintToString(c.names);
  }
}

}  // namespace
