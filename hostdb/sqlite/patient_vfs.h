// A VFS over the system's own (unix or win32) that copes with two habits of
// clients of a file server, where the host of several PCs lives:
//
// - A client may keep a file it has just closed open on the server for a
//   few milliseconds more, and the server then refuses to delete it (an SMB
//   server answers EBUSY, as Windows does). A rollback journal is deleted at
//   every commit: a failed delete is tried again for a short while before
//   the commit fails.
// - A client may go on seeing, for about a second, a journal that another
//   computer has rolled back and deleted. SQLite takes such a journal for a
//   hot one and fails to open it. Before a journal is said to exist, it is
//   opened: only the server answers that. Such a client, asked to make the
//   journal anew, may answer that there is no such file: it is asked again
//   to make it exclusively, which it must ask the server.
//
// Neither changes what is written, nor when: on a local disk the delete
// succeeds at once and the journal that exists opens.
#pragma once

struct sqlite3_vfs;

namespace hostdb::sqlite {

// The name it is registered under.
inline constexpr const char* kPatientVfsName = "zel-patient";

// The VFS over `base`, named kPatientVfsName; `base` must outlive it.
sqlite3_vfs patientVfsOver(sqlite3_vfs* base);

// Registers the VFS over the system's as the default, once per process;
// later calls do nothing.
void installPatientVfs();

// How long a refused delete is tried again, in all.
inline constexpr int kDeleteRetryMs = 2000;

}  // namespace hostdb::sqlite
