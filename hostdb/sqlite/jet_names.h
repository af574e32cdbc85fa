// The engine-neutral part of the layer (hostdb/jet/) by the names the SQLite
// implementation uses: its statements' tokens, verbs, DDL and diagnosis, the
// trace and the table descriptions.
#pragma once

#include "hostdb/jet/date_values.h"
#include "hostdb/jet/jet_ddl.h"
#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/sql_diagnosis.h"
#include "hostdb/jet/sql_trace.h"
#include "hostdb/jet/table_schema.h"
#include "hostdb/jet/verb.h"

namespace hostdb::sqlite {

using jet::closingParen;
using jet::ColumnSchema;
using jet::DdlStatement;
using jet::isTextType;
using jet::parseDdl;
using jet::raiseUnpreparable;
using jet::requireInsertColumns;
using jet::sameName;
using jet::statementTokens;
using jet::storageSize;
using jet::typeFromName;
using jet::typeName;
using jet::StoredColumns;
using jet::syntaxErrorNumber;
using jet::TableLookup;
using jet::TableSchema;
using jet::Token;
using jet::tokenize;
using jet::TokenKind;
using jet::traceError;
using jet::traceStatement;
using jet::Verb;

}  // namespace hostdb::sqlite
