# Every test target, for every configuration that has it:
#   korvel_tests     GoogleTest: the product's unit tests, one file a module in the
#                    folder named after the product's (tests/app, tests/detect,
#                    tests/installer, tests/pages, tests/medium), the platform helpers'
#                    (tests/platform), the simulated machine's own (tests/platform/sim),
#                    the UI framework's (tests/afx) and the tools' (tests/tools); each
#                    GoogleTest is a ctest entry of its own, Suite.Name (Linux)
#   scenario-NAME    the simulator runs tests/scenarios/NAME.script (Linux)
#   sweep            tests/scenarios/sweep.py: the unattended scenarios with each simulated
#                    call failing, against the promises of a run nobody watches (Linux)
#   korvel_contract  the platform operations' contracts (tests/contract), written once
#                    and run twice: on the simulated machine as ctest's "contract.*"
#                    (Linux), and against the real functions (x86-64, tests/wine/contract.sh)
#   uidriver_probe   the small wizard tests/wine/e2e.sh drives to check the UI driver (x86-64)
#   first_page       times a wizard from its start to its first page (x86-64,
#                    tests/wine/start-time.sh)
#   planted_*, search_probe  the planting test's programs (x86-64, tests/wine/planting.sh)
#   fuzz_NAME        the libFuzzer targets of tests/fuzz (Linux, KORVEL_FUZZ; scripts/fuzz.sh)
set(KORVEL_TESTS ${CMAKE_SOURCE_DIR}/tests)

# --- the contract tests: one file a group, every group on both sides ------------------
set(KORVEL_CONTRACT_GROUPS profile kernel registry shell spooler text)
set(KORVEL_CONTRACT_SOURCES ${KORVEL_TESTS}/contract/main.cpp)
foreach(group ${KORVEL_CONTRACT_GROUPS})
  list(APPEND KORVEL_CONTRACT_SOURCES ${KORVEL_TESTS}/contract/${group}_test.cpp)
endforeach()

if(WIN32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(gtest_root /usr/src/googletest/googletest)
    add_library(korvel_gtest STATIC ${gtest_root}/src/gtest-all.cc)
    target_include_directories(korvel_gtest SYSTEM PUBLIC ${gtest_root}/include PRIVATE ${gtest_root})
    target_compile_definitions(korvel_gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(korvel_gtest PUBLIC -include ${KORVEL_TESTS}/contract/gtest_mingw.h PRIVATE -w)

    add_executable(korvel_contract ${KORVEL_CONTRACT_SOURCES} ${KORVEL_TESTS}/contract/side_win.cpp
                   ${CMAKE_SOURCE_DIR}/platform/text.cpp ${CMAKE_SOURCE_DIR}/platform/win/text_case.cpp)
    target_include_directories(korvel_contract PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(korvel_contract PRIVATE korvel_gtest winspool shell32 advapi32 kernel32)

    # A small wizard of its own that tests/wine/e2e.sh drives to check the UI driver.
    add_executable(uidriver_probe WIN32 ${KORVEL_TESTS}/wine/probe/probe.cpp ${KORVEL_TESTS}/wine/probe/probe.rc)
    target_link_libraries(uidriver_probe PRIVATE comctl32 user32 kernel32)

    # Times a wizard from its start to its first page.
    add_executable(first_page ${KORVEL_TESTS}/wine/starttime/first_page.cpp)
    target_link_libraries(first_page PRIVATE user32 kernel32)

    # The planting test's own programs: planted copies of newdev.dll, winspool.drv,
    # uxtheme.dll, apphelp.dll and rundll32.exe that leave markers, in BUILD/planted so that no program of the build
    # ever finds them beside itself, and the probe that loads the libraries by name.
    set(planting ${KORVEL_TESTS}/wine/planting)
    foreach(name newdev winspool uxtheme apphelp)
      add_library(planted_${name} SHARED ${planting}/planted_dll.cpp)
      target_include_directories(planted_${name} PRIVATE ${CMAKE_SOURCE_DIR})
      set_target_properties(planted_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
                                                       RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
    endforeach()
    set_target_properties(planted_winspool PROPERTIES SUFFIX ".drv")
    add_executable(planted_rundll32 WIN32 ${planting}/planted_rundll32.cpp)
    target_include_directories(planted_rundll32 PRIVATE ${CMAKE_SOURCE_DIR})
    set_target_properties(planted_rundll32 PROPERTIES OUTPUT_NAME rundll32 RUNTIME_OUTPUT_DIRECTORY
                                                                           ${CMAKE_BINARY_DIR}/planted)
    add_executable(search_probe ${planting}/search_probe.cpp ${CMAKE_SOURCE_DIR}/platform/win/system_library.cpp
                                ${CMAKE_SOURCE_DIR}/platform/text.cpp)
    target_include_directories(search_probe PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(search_probe PRIVATE shell32 kernel32)
  endif()
  return()
endif()

enable_testing()
find_package(GTest REQUIRED)

# ctest never runs a stale build: every test needs this one, which brings the build up
# to date first (a test added since the last build is listed from the next ctest on).
add_test(NAME build COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR})
set_tests_properties(build PROPERTIES FIXTURES_SETUP korvel_build TIMEOUT 1800)

# A hang is a quick failure: every test has a time limit (ctest's TIMEOUT), and within
# the GoogleTest programs each single test has one too (tests/support/verifier_listener.cpp),
# which names the test that hangs. The sanitizers' builds run several times slower.
if(KORVEL_SANITIZE)
  set(KORVEL_TEST_TIME_FACTOR 5)
else()
  set(KORVEL_TEST_TIME_FACTOR 1)
endif()
math(EXPR KORVEL_UNIT_TIMEOUT "120 * ${KORVEL_TEST_TIME_FACTOR}")
math(EXPR KORVEL_SHORT_TIMEOUT "60 * ${KORVEL_TEST_TIME_FACTOR}")

# --- unit tests, the simulated machine's tests and the tools' tests ----------------------
set(KORVEL_TEST_FOLDERS app detect installer pages medium platform platform/sim afx support tools)
set(KORVEL_TEST_SOURCES)
foreach(folder ${KORVEL_TEST_FOLDERS})
  file(GLOB sources CONFIGURE_DEPENDS ${KORVEL_TESTS}/${folder}/*.cpp)
  list(APPEND KORVEL_TEST_SOURCES ${sources})
endforeach()
# The medium checker's core is tested directly, and its program is run as well; the
# simulator as its users meet it (errors, the terminal session) is tested by running it.
add_executable(korvel_tests ${KORVEL_TEST_SOURCES} ${KORVEL_MEDIUM_CHECK_CORE} $<TARGET_OBJECTS:korvel_logic>)
target_link_libraries(korvel_tests PRIVATE korvel_platform korvel_script GTest::gtest GTest::gtest_main)
target_compile_definitions(korvel_tests PRIVATE KORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                                KORVEL_SIM_SIBLING_EXE="${KORVEL_SIM_SIBLING_EXE}"
                                                KORVEL_MEDIUM_CHECK="$<TARGET_FILE:korvel-medium-check>"
                                                KORVEL_SIM="$<TARGET_FILE:korvel-sim>"
                                                KORVEL_TEST_TIME_FACTOR=${KORVEL_TEST_TIME_FACTOR})
add_dependencies(korvel_tests korvel-medium-check korvel-sim)
# One CTest entry per GoogleTest, so that a failure names its test and
# --output-on-failure shows only that test's output.
include(GoogleTest)
gtest_discover_tests(korvel_tests DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT ${KORVEL_UNIT_TIMEOUT} FIXTURES_REQUIRED korvel_build)

# --- scenario tests ------------------------------------------------------------------------
# Each tests/scenarios/NAME.script runs on NAME.scenario (or the demo PC when there is
# none) and its transcript must equal NAME.expected. ctest looks for the scripts each
# time it runs, so a new scenario is a test at once, with no CMake run.
set(KORVEL_SCENARIO_TESTS ${CMAKE_BINARY_DIR}/scenario_tests.cmake)
file(GENERATE OUTPUT ${KORVEL_SCENARIO_TESTS} CONTENT "\
file(GLOB scripts \"${KORVEL_TESTS}/scenarios/*.script\")
foreach(script IN LISTS scripts)
  get_filename_component(name \"\${script}\" NAME_WE)
  add_test(\"scenario-\${name}\" \"${KORVEL_TESTS}/scenarios/run.sh\" \"$<TARGET_FILE:korvel-sim>\" \"\${name}\")
  set_tests_properties(\"scenario-\${name}\" PROPERTIES TIMEOUT ${KORVEL_SHORT_TIMEOUT} FIXTURES_REQUIRED korvel_build)
endforeach()
")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${KORVEL_SCENARIO_TESTS})

# --- the Wine tests, under the label "wine" -----------------------------------------------
# `ctest -L wine` runs them (`ctest -LE wine` everything else); their first test brings
# the two Windows configurations beside this one up to date. The order is
# run-tests.sh's: the cheap checks of the programs first.
# Only the plain host build has them: the sanitizers' and the fuzzer's builds are about
# the host code.
if(NOT KORVEL_SANITIZE AND NOT KORVEL_FUZZ)
  get_filename_component(KORVEL_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
  add_test(NAME wine-build COMMAND sh -c "ninja -C '${KORVEL_BUILD_ROOT}/win64' && ninja -C '${KORVEL_BUILD_ROOT}/win32'")
  set_tests_properties(wine-build PROPERTIES LABELS wine FIXTURES_SETUP korvel_windows_build TIMEOUT 1800)
  # The 32-bit prefix (32-bit Windows) runs the program that ships by itself: wine32-*.
  foreach(test check-binaries smoke start-time planting contract printui e2e unattended handover wine32-e2e
               wine32-unattended deployment main-command medium-check)
    string(REGEX REPLACE "^wine32-" "" script ${test})
    add_test(NAME wine-${test} COMMAND ${KORVEL_TESTS}/wine/${script}.sh ${KORVEL_BUILD_ROOT})
    set_tests_properties(wine-${test} PROPERTIES LABELS wine FIXTURES_REQUIRED "korvel_build;korvel_windows_build"
                                                 TIMEOUT 1800 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
    if(test MATCHES "^wine32-")
      set_tests_properties(wine-${test} PROPERTIES ENVIRONMENT KORVEL_WINE_ARCH=win32)
    endif()
  endforeach()
endif()

# --- the fault-injection sweep of the unattended scenarios ---------------------------------
# Every tests/scenarios/quiet-* scenario plain and with each failable simulated call
# failing (tests/scenarios/sweep.py), checked against the promises of a run nobody
# watches. About a thousand runs of the simulator: left out of the sanitizers' builds,
# where it would take the better part of an hour.
if(NOT KORVEL_SANITIZE)
  add_test(NAME sweep COMMAND python3 ${KORVEL_TESTS}/scenarios/sweep.py $<TARGET_FILE:korvel-sim>)
  set_tests_properties(sweep PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED korvel_build)
endif()

# --- contract tests on the simulated machine --------------------------------------------------
# Here the machine's verifier holds every contract test to the rules as well.
add_executable(korvel_contract ${KORVEL_CONTRACT_SOURCES} ${KORVEL_TESTS}/contract/side_sim.cpp
                               ${KORVEL_TESTS}/support/verifier_listener.cpp)
target_link_libraries(korvel_contract PRIVATE korvel_platform GTest::gtest)
target_compile_definitions(korvel_contract PRIVATE KORVEL_TEST_TIME_FACTOR=${KORVEL_TEST_TIME_FACTOR})
gtest_discover_tests(korvel_contract TEST_PREFIX contract. DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT ${KORVEL_SHORT_TIMEOUT} FIXTURES_REQUIRED korvel_build)

# --- fuzz targets ------------------------------------------------------------------------------
# tests/fuzz/NAME.cpp becomes fuzz_NAME, with its seed corpus in tests/fuzz/corpus/NAME/.
# `ninja fuzz_targets` builds them all; scripts/fuzz.sh builds and runs them. Every
# source is instrumented (cmake/host.cmake); only these link libFuzzer's main.
if(KORVEL_FUZZ)
  file(GLOB KORVEL_FUZZ_SOURCES CONFIGURE_DEPENDS ${KORVEL_TESTS}/fuzz/*.cpp)
  add_custom_target(fuzz_targets)
  foreach(source ${KORVEL_FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(fuzz_${name} ${source} $<TARGET_OBJECTS:korvel_logic>)
    target_link_libraries(fuzz_${name} PRIVATE korvel_platform)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets fuzz_${name})
  endforeach()
  # The catalogue target runs the medium checker on each catalogue too.
  target_sources(fuzz_catalogue PRIVATE ${KORVEL_MEDIUM_CHECK_CORE})
endif()
