# The tests zip: both Windows test suites, statically linked, with the
# Tarnvel.exe and readme.txt of the same build, so it runs on its own on a
# real Windows machine (tests/package/tests-readme.txt says how), and the
# notices of every library linked into them, GoogleTest's too.
install(TARGETS core_tests tarnvel_e2e fake_editor planted_dll Tarnvel
        RUNTIME DESTINATION . COMPONENT tests LIBRARY DESTINATION . COMPONENT tests)
install(FILES
  ${PROJECT_SOURCE_DIR}/assets/readme.txt
  ${PROJECT_SOURCE_DIR}/tests/package/run-tests.cmd
  ${PROJECT_SOURCE_DIR}/tests/package/tests-readme.txt
  ${PROJECT_SOURCE_DIR}/tests/package/THIRD-PARTY-NOTICES.txt
  DESTINATION . COMPONENT tests)
