# `cpack` in the Windows build folder makes Tarnvel-<version>-win64.zip with
# the program, its readme and its notices at the top level, as a user unpacks
# it, and, where the tests are built, Tarnvel-<version>-win64-tests.zip beside it
# (its contents are chosen in cmake/test-package.cmake).

install(TARGETS Tarnvel RUNTIME DESTINATION . COMPONENT app)
install(FILES ${PROJECT_SOURCE_DIR}/assets/readme.txt ${PROJECT_SOURCE_DIR}/assets/THIRD-PARTY-NOTICES.txt
        DESTINATION . COMPONENT app)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tarnvel)
set(CPACK_PACKAGE_VERSION ${TARNVEL_VERSION_STRING})
set(CPACK_PACKAGE_FILE_NAME Tarnvel-${TARNVEL_VERSION_STRING}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# One zip per component. The list is fixed here because CPack reads it now,
# before the tests' folders have declared their install rules.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL app)
set(CPACK_ARCHIVE_APP_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
if(BUILD_TESTING)
  list(APPEND CPACK_COMPONENTS_ALL tests)
  set(CPACK_ARCHIVE_TESTS_FILE_NAME ${CPACK_PACKAGE_FILE_NAME}-tests)
endif()
include(CPack)
