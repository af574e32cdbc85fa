// Whether a transaction whose COMMIT went unanswered took effect. A
// connection lost while the server ends a transaction (the server stopped
// or crashed, a link cut) leaves the client not knowing: the commit record
// may be on the server's disk already. Asked of the server afterwards by
// the transaction's id, through a new connection.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace hostdb::postgres {

enum class CommitOutcome { Committed, RolledBack, Unknown };

// Asks the server the host's descriptor at `path` names about transaction
// `transactionId` (txid_current()'s text), trying again while the server
// cannot be reached (restarting) or the transaction is still being ended by
// its old session, for `patience` at most; Unknown after that, or when the
// server no longer knows the transaction.
CommitOutcome commitOutcome(std::string_view path, const std::string& transactionId,
                            std::chrono::milliseconds patience);

}  // namespace hostdb::postgres
