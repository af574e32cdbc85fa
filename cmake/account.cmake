# Turns the configured workgroup account into two arrays of character codes
# (build/generated/build_account.h), so that the programs hold no readable text of it.
function(zel_char_codes text out)
  string(LENGTH "${text}" len)
  if(NOT len EQUAL 8)
    message(FATAL_ERROR "workgroup account values must have 8 characters: '${text}'")
  endif()
  string(HEX "${text}" hex)
  set(codes "")
  foreach(i RANGE 0 7)
    math(EXPR pos "${i} * 2")
    string(SUBSTRING "${hex}" ${pos} 2 byte)
    math(EXPR code "0x${byte}")
    list(APPEND codes ${code})
  endforeach()
  list(JOIN codes ", " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

zel_char_codes("${ZEL_WORKGROUP_USER}" ZEL_USER_CODES)
zel_char_codes("${ZEL_WORKGROUP_PASSWORD}" ZEL_PASSWORD_CODES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_account.h.in
               ${CMAKE_BINARY_DIR}/generated/build_account.h @ONLY)
