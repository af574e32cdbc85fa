// Which files name a server host, and what is refused in one.
#include "hostdb/postgres/descriptor.h"

#include <gtest/gtest.h>

#include <string>

#include "hostdb/engine_error.h"

namespace {

using hostdb::postgres::isDescriptor;
using hostdb::postgres::parseDescriptor;

struct Case {
  const char* what;
  std::string content;
  bool descriptor;       // isDescriptor
  const char* accepted;  // what parseDescriptor returns; nullptr: refused
  const char* because;   // in the refusal's cause
};

const Case kCases[] = {
    {"keywords", "host=db.office dbname=zel\n", true, "host=db.office dbname=zel", nullptr},
    {"service, CRLF, BOM", "\xEF\xBB\xBF  service=zel \r\n", true, "service=zel", nullptr},
    {"URI", "postgresql://db.office:5433/zel?sslmode=verify-full", true,
     "postgresql://db.office:5433/zel?sslmode=verify-full", nullptr},
    {"quoted value with blanks", "host=/run/pg dbname='zel host'", true,
     "host=/run/pg dbname='zel host'", nullptr},
    {"password", "host=db dbname=zel password=secret", true, nullptr, "password"},
    {"empty password", "host=db dbname=zel password=", true, nullptr, "password"},
    {"password in a URI", "postgresql://zel:secret@db/zel", true, nullptr, "password"},
    {"key password", "host=db dbname=zel sslpassword=k", true, nullptr, "sslpassword"},
    {"no database", "host=db user=zel", false, nullptr, "neither dbname nor service"},
    {"unknown keyword", "host=db dbname=zel colour=blue", false, nullptr, "libpq"},
    {"unclosed quote", "host=db dbname='zel", false, nullptr, "libpq"},
    {"two lines", "host=db dbname=zel\nhost=other dbname=x\n", false, nullptr, "one line"},
    {"empty", "\r\n", false, nullptr, "empty"},
    {"SQLite file", std::string("SQLite format 3\0\x10\x00", 18) + "dbname=x", false, nullptr,
     "not text"},
    {"too large", "dbname=zel " + std::string(5000, ' ') + "host=db", false, nullptr, "larger"},
};

TEST(Descriptor, TellsAndParsesAsTheTableSays) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(isDescriptor(c.content), c.descriptor);
    try {
      const std::string conninfo = parseDescriptor(c.content, "C:\\ZEL\\ZEL.MDB");
      EXPECT_NE(c.accepted, nullptr) << "accepted: " << conninfo;
      if (c.accepted) {
        EXPECT_EQ(conninfo, c.accepted);
      }
    } catch (const hostdb::EngineError& e) {
      ASSERT_EQ(c.accepted, nullptr) << e.cause();
      EXPECT_EQ(e.number(), hostdb::err::kUnrecognizedFormat);
      EXPECT_NE(e.description().find("C:\\ZEL\\ZEL.MDB"), std::string::npos);
      EXPECT_NE(e.cause().find("C:\\ZEL\\ZEL.MDB"), std::string::npos) << e.cause();
      EXPECT_NE(e.cause().find(c.because), std::string::npos) << e.cause();
    }
  }
}

}  // namespace
