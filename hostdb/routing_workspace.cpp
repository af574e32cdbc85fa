#include "hostdb/routing_workspace.h"

#include <utility>
#include <vector>

#include "hostdb/engine.h"
#include "hostdb/engine_error.h"
#include "hostdb/engines.h"
#include "hostdb/finish_each.h"

namespace hostdb {
namespace {

class RoutingWorkspace final : public Workspace {
 public:
  explicit RoutingWorkspace(const EngineSettings& settings) : settings_(settings) {
    // The default engine's workspace is there from the start, so that a
    // transaction begun before any database opens covers the first one.
    workspaceOf(defaultEngine());
  }

  std::unique_ptr<Database> OpenDatabase(std::string_view path, bool exclusive, bool readOnly,
                                         std::string_view connect) override {
    return workspaceOf(engineFor(path)).OpenDatabase(path, exclusive, readOnly, connect);
  }

  std::unique_ptr<Database> CreateDatabase(std::string_view path) override {
    return workspaceOf(engineFor(path)).CreateDatabase(path);
  }

  void BeginTrans() override {
    std::vector<Workspace*> begun;
    try {
      for (Made& made : made_) {
        made.workspace->BeginTrans();
        begun.push_back(made.workspace.get());
      }
    } catch (...) {
      for (Workspace* w : begun) rollbackQuietly(*w);
      throw;
    }
    inTransaction_ = true;
  }

  void CommitTrans() override { finish(&Workspace::CommitTrans); }
  void Rollback() override { finish(&Workspace::Rollback); }

 private:
  struct Made {
    Engine* engine;
    std::unique_ptr<Workspace> workspace;
  };

  Workspace& workspaceOf(Engine& engine) {
    for (Made& made : made_)
      if (made.engine == &engine) return *made.workspace;
    std::unique_ptr<Workspace> workspace = engine.makeDefaultWorkspace(settings_);
    // A workspace made inside a transaction joins it.
    if (inTransaction_) workspace->BeginTrans();
    made_.push_back({&engine, std::move(workspace)});
    return *made_.back().workspace;
  }

  static void rollbackQuietly(Workspace& workspace) noexcept {
    try {
      workspace.Rollback();
    } catch (...) {
      // Undone as far as it could be; the first failure is being raised.
    }
  }

  // Every workspace is finished even when one of them fails; the first
  // failure is raised afterwards.
  void finish(void (Workspace::*step)()) {
    inTransaction_ = false;
    finishEach(made_, [step](const Made& made) { (made.workspace.get()->*step)(); });
  }

  const EngineSettings& settings_;
  std::vector<Made> made_;
  bool inTransaction_ = false;
};

}  // namespace

std::unique_ptr<Workspace> makeRoutingWorkspace(const EngineSettings& settings) {
  return std::make_unique<RoutingWorkspace>(settings);
}

}  // namespace hostdb
