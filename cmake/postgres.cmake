# PostgreSQL, optional. libpq (Debian's libpq-dev) for the PostgreSQL engine
# and the tests that talk to a server: the imported target PkgConfig::LIBPQ
# and ZEL_HAVE_POSTGRES. Without it the engine is not built and the tests that
# need it skip by name. The server's programs (initdb, pg_ctl, postgres) for
# the tests' private cluster: ZEL_PG_BINDIR, the newest of Debian's
# /usr/lib/postgresql/N/bin, else found on PATH; empty when not installed.
# A Windows build finds the libpq that scripts/windows-deps.sh built under
# ZEL_WINDOWS_PREFIX (pkg-config reads only that prefix there). Its tests
# run under Wine against a cluster of the build machine's own server
# programs, reached over TCP on 127.0.0.1 (Wine has no Unix socket).
option(ZEL_POSTGRES "Build what uses PostgreSQL where libpq is found" ON)

set(ZEL_HAVE_POSTGRES OFF)
if(ZEL_POSTGRES)
  pkg_check_modules(LIBPQ IMPORTED_TARGET libpq)
  if(LIBPQ_FOUND)
    set(ZEL_HAVE_POSTGRES ON)
  endif()
endif()

if(ZEL_HAVE_POSTGRES AND NOT ZEL_PG_BINDIR)
  file(GLOB pg_bindirs LIST_DIRECTORIES true /usr/lib/postgresql/*/bin)
  list(SORT pg_bindirs COMPARE NATURAL ORDER DESCENDING)
  foreach(dir ${pg_bindirs})
    if(EXISTS ${dir}/initdb AND EXISTS ${dir}/pg_ctl AND EXISTS ${dir}/postgres)
      set(found_bindir ${dir})
      break()
    endif()
  endforeach()
  if(NOT found_bindir)
    find_program(ZEL_PG_CTL pg_ctl)
    mark_as_advanced(ZEL_PG_CTL)
    if(ZEL_PG_CTL)
      get_filename_component(found_bindir ${ZEL_PG_CTL} DIRECTORY)
    endif()
  endif()
  if(found_bindir)
    set(ZEL_PG_BINDIR ${found_bindir} CACHE PATH "PostgreSQL's server programs, for the tests")
  endif()
endif()
if(NOT ZEL_HAVE_POSTGRES)
  message(STATUS "PostgreSQL: libpq not found (libpq-dev): the PostgreSQL engine is not built")
elseif(NOT ZEL_PG_BINDIR)
  message(STATUS "PostgreSQL: no server programs (postgresql): its tests skip")
else()
  message(STATUS "PostgreSQL: libpq ${LIBPQ_VERSION}, server programs in ${ZEL_PG_BINDIR}")
endif()
