// sendsummary's registration on one server host from many PCs at once: each
// thread its own engine and connection, numbering inside a workspace
// transaction as the program does. Every number is taken once.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "tests/postgres/server_host.h"

namespace pgtest {
namespace {

class ServerConcurrency : public ServerHostTest {};

// The next file number, read and stored as registerSpoolFile does.
void registerOne(hostdb::Database& db, hostdb::Workspace& ws) {
  ws.BeginTrans();
  auto last = db.OpenRecordset("SELECT max(Digits(left(Archivo,8))) as SecRep FROM SPOOL",
                               hostdb::dbOpenDynaset);
  const hostdb::Variant v = last->Fields("SecRep").Value();
  const std::int64_t next = (v.isNull() ? 0 : v.integer()) + 1;
  last->Close();
  auto spool = db.OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenDynaset);
  spool->AddNew();
  spool->Fields("CodRep").setValue("RP0019");
  spool->Fields("Secuencia").setValue(std::to_string(next));
  std::string file = std::to_string(next);
  file.insert(0, 8 - file.size(), '0');
  spool->Fields("Archivo").setValue(file + ".PRN");
  spool->Fields("tip_doc_d").setValue(6);
  spool->Update();
  spool->Close();
  ws.CommitTrans();
}

TEST_F(ServerConcurrency, EightClientsRegisteringAtOnceTakeUniqueNumbers) {
  {
    auto e = engine();
    auto db = open(*e);
    makeHostTables(*db);
  }
  constexpr int kClients = 8, kEach = 10;
  std::vector<std::thread> clients;
  std::vector<int> failures(kClients, 0);
  for (int c = 0; c < kClients; ++c)
    clients.emplace_back([&, c] {
      try {
        auto e = engine();
        auto db = open(*e);
        for (int i = 0; i < kEach; ++i) registerOne(*db, e->Workspaces(0));
      } catch (const platform::Error& err) {
        failures[c] = err.number();
      }
    });
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(failures, std::vector<int>(kClients, 0));
  auto e = engine();
  auto db = open(*e);
  std::set<std::string> files;
  auto rs = db->OpenRecordset("SELECT Archivo FROM SPOOL", hostdb::dbOpenSnapshot);
  int rows = 0;
  for (; !rs->Eof(); rs->MoveNext(), ++rows) files.insert(rs->Fields("Archivo").Value().text());
  EXPECT_EQ(rows, kClients * kEach);
  EXPECT_EQ(files.size(), static_cast<std::size_t>(kClients * kEach));
}

}  // namespace
}  // namespace pgtest
