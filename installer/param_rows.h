// The form's rows in PARAM: a look-up by (Numero, Argumento), then an update
// or an insert.
#pragma once

#include <string>

namespace installer {

// True when PARAM holds the row (Numero, Argumento). Raises what the engine
// raises.
bool findParam(const std::string& numero, const std::string& argumento);
// Updates the row when PARAM holds it, otherwise inserts it.
void upsertParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam);
// Updates the row only when PARAM holds it.
void updateParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam);

// The form's PARAM rows in their fixed order.
void writeParamRows();

}  // namespace installer
