// What a server host holds beside its tables, all in the schema "jet" (the
// host's own tables stay in "public", where TableDefs finds them):
//
//  - the collation jet.jet for the engine's text comparison: ICU
//    "und-u-ks-level2", nondeterministic, so that letter case is ignored and
//    accents count ('a' = 'A', 'ñ' = 'Ñ', 'á' <> 'a'). No collation ignores
//    trailing blanks: a comparison that must ignore them compares
//    rtrim(a) = rtrim(b), and a key is a unique index over rtrim().
//  - the engine's text functions, computing what the file host's functions
//    compute: jet.left(s, n), jet.mid(s, i [, n]) (1-based), jet.trim,
//    jet.ltrim, jet.rtrim (blanks only), jet.ucase, jet.lcase, jet.len,
//    jet.digits. A length below 0 or a start below 1 fails with SQLSTATE
//    22023, which is the engine's error 5. Their names are in lower case
//    (the server folds unquoted names to it) and in their own schema, where
//    none of the server's own functions (left, ltrim, rtrim) can shadow
//    them: a statement calls them qualified, as jet.left(...), whatever the
//    session's search_path.
//  - the catalog the engine keeps that the server's own catalog cannot say,
//    as the file host keeps it: jet.MSysDb (the workgroup identity the
//    database was made under), jet.MSysObjects (the tables in the order they
//    were made), jet.MSysColumns (each column's declared type and size and
//    its AllowZeroLength), jet.MSysIndexes (the primary key's name and
//    columns). Unquoted, so the server keeps their names in lower case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostdb::postgres {

class PgConnection;

inline constexpr const char* kSupportSchema = "jet";
// As a statement names the collation: COLLATE jet.jet.
inline constexpr const char* kQualifiedCollation = "jet.jet";

// The statements that make the support objects, in order; each may be run
// again on a database that has them.
std::vector<std::string> hostSchemaStatements();

// Makes the support objects in the database `db` is connected to and
// records `workgroupIdentity`, in one transaction of its own (`db` is not in
// one; a second maker at the same time waits for the first). Run again on a host made under the
// same identity, it changes nothing; under another identity it raises kNoPermission and changes
// nothing. A database whose encoding is not UTF8 raises kUnrecognizedFormat. `display` names the
// host for the errors.
void makeHostSchema(PgConnection& db, std::string_view workgroupIdentity,
                    std::string_view display = {});

// The same inside a transaction `db` has begun, which the caller commits or
// rolls back: the support objects then come and go with what else it makes.
// Takes the makers' transaction lock first (lockHostSchema).
void makeHostSchemaInTransaction(PgConnection& db, std::string_view workgroupIdentity,
                                 std::string_view display = {});

// Takes the transaction lock that makers of the support objects take, so
// that what `db`'s transaction then finds of them stays so until it ends.
void lockHostSchema(PgConnection& db);

// The workgroup identity the database records; nullopt when it has no
// catalog (a database that is not a host).
std::optional<std::string> workgroupIdentity(PgConnection& db);

}  // namespace hostdb::postgres
