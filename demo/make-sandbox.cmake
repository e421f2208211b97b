# Builds a fresh demo sandbox: the sample Norvik folder beside the program, two product
# directories (Lumeo with an outdated Norvik folder, Vantro without one), a registry file
# naming them, and a root directory for the profile file and logs.
#   cmake -DSOURCE_DIR=<repo>/demo -DBIN_DIR=<build>/bin -DSANDBOX=<build>/demo -P make-sandbox.cmake
foreach(var SOURCE_DIR BIN_DIR SANDBOX)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is required")
  endif()
endforeach()

file(REMOVE_RECURSE "${BIN_DIR}/Norvik" "${SANDBOX}")
file(COPY "${SOURCE_DIR}/Norvik" DESTINATION "${BIN_DIR}")

file(MAKE_DIRECTORY "${SANDBOX}/products/Lumeo/Norvik" "${SANDBOX}/products/Vantro" "${SANDBOX}/root")
file(WRITE "${SANDBOX}/products/Lumeo/Norvik/README.txt" "Norvik utility (outdated copy)\n")
file(WRITE "${SANDBOX}/products/Lumeo/Norvik/obsolete.dll" "left over from an old version\n")

# The registry file is written the way a Windows export writes it: UTF-16LE with a byte-order
# mark and CR LF line ends.
configure_file("${SOURCE_DIR}/registry.reg.in" "${SANDBOX}/registry.utf8.reg" @ONLY NEWLINE_STYLE CRLF)
execute_process(
  COMMAND iconv -f UTF-8 -t UTF-16 "${SANDBOX}/registry.utf8.reg"
  OUTPUT_FILE "${SANDBOX}/registry.reg"
  RESULT_VARIABLE converted)
if(NOT converted EQUAL 0)
  message(FATAL_ERROR "iconv could not write ${SANDBOX}/registry.reg")
endif()
file(REMOVE "${SANDBOX}/registry.utf8.reg")
message(STATUS "Demo sandbox ready in ${SANDBOX}")
