// The SQL trace: when ZEL_SQL_LOG names a file, each statement given to
// Execute is appended as "E<TAB>statement", each query given to OpenRecordset
// as "Q<TAB>query", and a statement that raised is followed by
// "!<TAB>number<TAB>description".
#pragma once

#include <string_view>

namespace hostdb::sqlite {

void traceStatement(char kind, std::string_view sql);
void traceError(int number, std::string_view description);

}  // namespace hostdb::sqlite
