// The built programs on a host that zelhost init --server made against the
// same host in a file: formsetup (twice) and sendsummary exit 0 without a box, the output
// files are the same bytes, and the host ends the same: its tables, their
// keys and field properties, and the rows the programs write.
#include <gtest/gtest.h>

#include <algorithm>

#include "hostdb/postgres/host_schema.h"
#include "hostdb/workgroup.h"
#include "tests/e2e/report_host.h"
#include "tests/postgres/scratch_database.h"
#include "tests/postgres/server_host.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"

namespace pgtest {
namespace {

constexpr const char* kDeclaration[] = {
    "INSERT INTO CAB VALUES (6, '20123456789', '2024', '0661', 1, '00482913', '09')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '100', '1500.00')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '101', '200.00')",
    "INSERT INTO cont VALUES (6, '20123456789', 'EMPRESA DEMOSTRACION S.A.')",
};

// What a host holds after the programs ran, as text to compare.
std::vector<std::string> endState(hostdb::Database& db) {
  std::vector<std::string> out;
  hostdb::TableDefs& defs = db.TableDefs();
  defs.Refresh();
  for (std::size_t i = 0; i < defs.Count(); ++i) {
    hostdb::TableDef& t = defs.Item(i);
    if (t.Name().starts_with("MSys")) continue;
    std::string line = t.Name() + " key " + t.PrimaryKeyName() + "(";
    for (const std::string& k : t.PrimaryKeyColumns()) line += k + ",";
    line += ")";
    for (std::size_t f = 0; f < t.FieldCount(); ++f) {
      hostdb::Field& field = t.FieldAt(f);
      line += " " + field.Name() + ":" + std::to_string(static_cast<int>(field.Type())) + "/" +
              std::to_string(field.Size()) + (field.AllowZeroLength() ? "z" : "");
    }
    out.push_back(line);
  }
  for (const char* query :
       {"SELECT * FROM PARAM", "SELECT * FROM reportes", "SELECT * FROM envio_t",
        "SELECT CodRep, Secuencia, Archivo, Usuario, doc_id_d, tip_doc_d FROM SPOOL"}) {
    std::vector<std::string> rows = testsupport::rowsOf(db, query);
    std::sort(rows.begin(), rows.end());
    out.push_back(std::string(query) + ": " + std::to_string(rows.size()) + " rows");
    out.insert(out.end(), rows.begin(), rows.end());
  }
  return out;
}

// A scratch database of the test cluster, made before the host that uses it.
struct ScratchFirst {
  EngineScratchDatabase scratch;
};

// A server host as zelhost init --server makes one in a scratch database of
// the test cluster, its descriptor named zel.pg.
class ServerReportHost : private ScratchFirst, public reporttest::ReportHost {
 public:
  ServerReportHost() : ReportHost({"--server", scratch.conninfo(), "--dbname", "zel.pg"}) {}
};

void addDeclaration(testsupport::OpenedHost host) {
  for (const char* sql : kDeclaration) host.exec(sql);
}

TEST(ServerPrograms, FormsetupAndSendsummaryEndAsOnAFileHost) {
  ZEL_SKIP_WITHOUT_POSTGRES();
  reporttest::ReportHost file;
  ServerReportHost server;
  const std::map<std::string, std::string> epoch = {{"SOURCE_DATE_EPOCH", reporttest::kEpoch}};
  for (const testsupport::TestHost* host : {static_cast<testsupport::TestHost*>(&file),
                                            static_cast<testsupport::TestHost*>(&server)}) {
    const testsupport::RunResult r = host->run("formsetup", {}, epoch);
    EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
    EXPECT_TRUE(host->transcript().empty()) << host->transcript().front();
  }
  const testsupport::RunResult again = server.run("formsetup", {}, epoch);
  EXPECT_THAT(again, testsupport::Succeeded()) << again.err;
  EXPECT_TRUE(server.transcript().empty());

  addDeclaration(testsupport::openHost(file));
  addDeclaration(testsupport::openHost(server, "zel.pg"));
  const std::string record = reporttest::record("20123456789");
  for (const reporttest::ReportHost* host : {&file, static_cast<reporttest::ReportHost*>(&server)}) {
    const testsupport::RunResult r = host->sendsummary(record);
    EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
    EXPECT_TRUE(host->transcript().empty()) << host->transcript().front();
  }
  ASSERT_EQ(file.filesIn("RPT"), server.filesIn("RPT"));
  ASSERT_FALSE(file.filesIn("RPT").empty());
  for (const std::string& name : file.filesIn("RPT"))
    EXPECT_EQ(testsupport::readFile(file.rpt(name)), testsupport::readFile(server.rpt(name)))
        << name;

  testsupport::OpenedHost fileHost = testsupport::openHost(file);
  testsupport::OpenedHost serverHost = testsupport::openHost(server, "zel.pg");
  const std::vector<std::string> expected = endState(*fileHost.db);
  const std::vector<std::string> got = endState(*serverHost.db);
  EXPECT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i)
    EXPECT_EQ(got[i], expected[i]);
}

}  // namespace
}  // namespace pgtest
