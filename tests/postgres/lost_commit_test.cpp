// A workspace transaction whose connection is lost at its COMMIT: cut before
// the server has it, the commit fails with 3043 and nothing is stored; cut
// after the server has it, so that only its answer is lost, the commit
// stands and is reported as done. Either way the run is told what the
// server holds.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/pg_session.h"
#include "tests/postgres/server_host.h"

namespace pgtest {
namespace {

class LostCommit : public ServerHostTest {};

struct Cut {
  const char* name;
  int how;  // shutdown()'s: what of the client's socket goes before COMMIT
  bool committed;
};

constexpr Cut kCuts[] = {
    // Nothing reaches the server: it undoes the transaction as the client goes.
    {"before COMMIT is sent", SHUT_RDWR, false},
    // COMMIT is sent, its answer never read.
    {"before COMMIT's answer is read", SHUT_RD, true},
};

TEST_F(LostCommit, TheRunIsToldWhatTheServerHolds) {
  scratch_->connect().exec("CREATE TABLE public.kept (n integer)");
  int n = 0;
  for (const Cut& cut : kCuts) {
    SCOPED_TRACE(cut.name);
    ++n;
    hostdb::postgres::PgSession session(hostdb::postgres::connectToHost(descriptor()),
                                        descriptor());
    session.beginTransaction();
    session.connection().exec("INSERT INTO public.kept VALUES (" + std::to_string(n) + ")");
    ASSERT_EQ(::shutdown(PQsocket(session.connection().get()), cut.how), 0);
    int number = 0;
    try {
      session.commitTransaction();
    } catch (const platform::Error& e) {
      number = e.number();
    }
    EXPECT_EQ(number, cut.committed ? 0 : hostdb::err::kNetworkOrDiskError);
    const std::string stored = std::string(
        scratch_->connect()
            .exec("SELECT count(*) FROM public.kept WHERE n = " + std::to_string(n))
            .text(0, 0));
    EXPECT_EQ(stored, cut.committed ? "1" : "0");
  }
}

}  // namespace
}  // namespace pgtest
