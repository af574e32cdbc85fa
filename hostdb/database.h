// An open host database.
//
// Threads: a Database, and every object it hands out (recordsets, the
// TableDefs collection, its tables and fields), belongs to the thread that
// opened it, and only that thread may use them: the SQLite handle underneath
// is opened without SQLite's own mutex. Separate databases may be used on
// separate threads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

#include "hostdb/recordset.h"
#include "hostdb/tabledef.h"

namespace hostdb {

// Database.Execute options.
enum ExecuteOptions { dbInconsistent = 16, dbFailOnError = 128 };

class Database {
 public:
  virtual ~Database() = default;

  virtual const std::string& Name() const = 0;  // the path it was opened with

  // Runs one statement of the engine's SQL dialect (DDL or INSERT, UPDATE,
  // DELETE). Without dbFailOnError rows that break a row rule are simply not
  // written; with it the first such row raises and nothing is written. Syntax
  // errors, missing objects and DDL failures raise either way. Committed when
  // it returns (unless a workspace transaction is open).
  virtual void Execute(std::string_view sql, int options = dbInconsistent) = 0;
  virtual std::int64_t RecordsAffected() const = 0;

  // Statements run as Execute runs each, in order, up to the first that
  // fails: what each did (the rows it touched, or the error it raised). The
  // statements after a failure are not run; their outcomes are missing. An
  // engine may send them together (a server, in one round trip); this one
  // runs them one by one.
  struct Outcome {
    std::int64_t recordsAffected = 0;
    std::optional<platform::Error> error;
  };
  virtual std::vector<Outcome> ExecuteEach(const std::vector<std::string>& statements,
                                           int options = dbInconsistent);
  // Field.AllowZeroLength set to `allow` on each field in turn (a table's
  // name, a field's name), up to the first that fails: an outcome for each
  // field done and for the failure, as ExecuteEach gives them. An engine may
  // send them together; this one sets them one by one through TableDefs.
  struct FieldName {
    std::string table;
    std::string field;
  };
  virtual std::vector<Outcome> AllowZeroLengthEach(const std::vector<FieldName>& fields,
                                                   bool allow);
  // Whether every statement costs a round trip to a server, so that a run
  // gains by asking once for what it would look up row by row.
  virtual bool isRemote() const { return false; }

  virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view sql,
                                                   int type = dbOpenDynaset) = 0;

  // The collection lives as long as this Database; see tabledef.h for how
  // long its tables and fields do.
  virtual hostdb::TableDefs& TableDefs() = 0;

  // What has been committed is on disk when this returns, whatever the
  // journal's settings: one sync at the point a run's success rests on,
  // rather than one per statement.
  virtual void makeDurable() = 0;

  // Closes the file. References from TableDefs() (tables, fields) are invalid
  // from here on; Execute, OpenRecordset and TableDefs() raise
  // kObjectNotValid. A recordset still open keeps the file open until it
  // closes, and its Update raises kObjectNotValid.
  virtual void Close() = 0;
};

}  // namespace hostdb
