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

configure_file("${SOURCE_DIR}/registry.reg.in" "${SANDBOX}/registry.reg" @ONLY NEWLINE_STYLE CRLF)
message(STATUS "Demo sandbox ready in ${SANDBOX}")
