# One INTERFACE target carries the project's compiler discipline; every target links it.
add_library(tolvar_options INTERFACE)
add_library(tolvar::options ALIAS tolvar_options)

target_compile_options(tolvar_options INTERFACE
  -Wall -Wextra -Wpedantic
  -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  -Wshadow -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)

if(TOLVAR_WARNINGS_AS_ERRORS)
  target_compile_options(tolvar_options INTERFACE -Werror)
endif()

# GCC 12 misreads std::string's own inlined copies at -O2 and above as overlapping (its bug
# 105329): the warning names only library code, so it stays a warning there and is no error.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tolvar_options INTERFACE -Wno-error=restrict)
endif()

target_compile_definitions(tolvar_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING)
