// The SQL trace: when ZEL_SQL_LOG names a file, each statement given to
// Execute is appended as "E<TAB>statement", each query given to OpenRecordset
// as "Q<TAB>query", and a statement that raised is followed by
// "!<TAB>number<TAB>description" and, when the error has a cause,
// "#<TAB>cause".
#pragma once

#include <string_view>

#include "platform/errors.h"

namespace hostdb::jet {

void traceStatement(char kind, std::string_view sql);
void traceError(const platform::Error& error);

}  // namespace hostdb::jet
