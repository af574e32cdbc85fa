// Database.OpenRecordset on a server: the query's rows, read whole when it
// runs (the server sends them at once), a current row moved through them;
// a dynaset over one table appends rows with AddNew/Update, judged by the
// engine's row rules before they reach the server.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "hostdb/jet/table_schema.h"
#include "hostdb/postgres/pg_connection.h"
#include "hostdb/postgres/pg_session.h"
#include "hostdb/recordset.h"

namespace hostdb::postgres {

// `appendTo`: the table a dynaset may append to (nullopt: AddNew raises
// kReadOnly). `spellings`: the query's names as written (Translation), by
// which its columns are shown.
std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<PgSession> session, PgResult rows,
                                         std::optional<jet::TableSchema> appendTo,
                                         const std::vector<std::string>& spellings = {});

// A dynaset of a whole table (`appendTo`) whose rows `fetch` reads when they
// are first asked for: one opened only to append rows costs no query.
std::unique_ptr<Recordset> makeAppendingRecordset(std::shared_ptr<PgSession> session,
                                                 std::function<PgResult()> fetch,
                                                 jet::TableSchema appendTo,
                                                 std::vector<std::string> spellings);

// A value of the server's text result as the engine's Variant, by the
// column's type (`typeOid`): numbers, timestamps as dates, texts.
Variant variantOf(std::string_view text, unsigned typeOid);

}  // namespace hostdb::postgres
