# `cpack` in the Windows build folder makes Tarnvel-<version>-win64.zip with
# the program and its readme at the top level, as a user unpacks it.

# The version is written once, in version.h, which the resources also read.
file(STRINGS ${PROJECT_SOURCE_DIR}/ui/version.h version_line REGEX "^#define TARNVEL_VERSION_STRING ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" TARNVEL_VERSION_STRING "${version_line}")

install(TARGETS Tarnvel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/assets/readme.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tarnvel)
set(CPACK_PACKAGE_VERSION ${TARNVEL_VERSION_STRING})
set(CPACK_PACKAGE_FILE_NAME Tarnvel-${TARNVEL_VERSION_STRING}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
