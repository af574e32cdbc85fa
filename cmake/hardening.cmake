# Debian's hardening in a Release build made on Debian (what `make package`
# builds): the compiler and linker flags dpkg-buildflags gives with every
# hardening feature this dpkg knows on (fortify, stack protector, format
# checks, relro and bindnow, and on newer ones more). Its optimisation and
# debugging flags are dropped: the build type chooses those. Elsewhere (no
# dpkg-buildflags, a cross build for Windows) nothing changes.
option(ZEL_DEBIAN_HARDENING "In a Release build, add the hardening flags of dpkg-buildflags" ON)
if(ZEL_DEBIAN_HARDENING AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags)
  if(DPKG_BUILDFLAGS)
    set(zel_hardening_flags)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                              ${DPKG_BUILDFLAGS} --get ${kind}
                      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed (${status})")
      endif()
      separate_arguments(flags UNIX_COMMAND "${flags}")
      list(FILTER flags EXCLUDE REGEX "^-O|^-g|^-ffile-prefix-map=")
      if(kind STREQUAL "LDFLAGS")
        add_link_options(${flags})
      else()
        add_compile_options(${flags})
      endif()
      list(APPEND zel_hardening_flags ${flags})
    endforeach()
    list(JOIN zel_hardening_flags " " zel_hardening_flags)
    message(STATUS "Debian hardening flags: ${zel_hardening_flags}")
  endif()
endif()
