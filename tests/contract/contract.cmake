# korvel_contract: the platform operations' contracts, written once and run twice:
# on Linux against the simulated machine, and (x86-64) under Wine or on Windows
# against the real functions.
#
# Groups, one file each; every group runs on both sides.
set(KORVEL_CONTRACT_GROUPS profile kernel registry spooler)

set(dir ${CMAKE_SOURCE_DIR}/tests/contract)
if(WIN32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(gtest_root /usr/src/googletest/googletest)
    add_library(korvel_gtest STATIC ${gtest_root}/src/gtest-all.cc)
    target_include_directories(korvel_gtest SYSTEM PUBLIC ${gtest_root}/include PRIVATE ${gtest_root})
    target_compile_definitions(korvel_gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(korvel_gtest PUBLIC -include ${dir}/gtest_mingw.h PRIVATE -w)

    set(sources ${dir}/main.cpp ${dir}/side_win.cpp ${CMAKE_SOURCE_DIR}/platform/text.cpp)
    foreach(group ${KORVEL_CONTRACT_GROUPS})
      list(APPEND sources ${dir}/${group}_test.cpp)
    endforeach()
    add_executable(korvel_contract ${sources})
    target_include_directories(korvel_contract PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(korvel_contract PRIVATE korvel_gtest winspool advapi32 kernel32)
  endif()
else()
  set(sources ${dir}/main.cpp ${dir}/side_sim.cpp)
  foreach(group ${KORVEL_CONTRACT_GROUPS})
    list(APPEND sources ${dir}/${group}_test.cpp)
  endforeach()
  add_executable(korvel_contract ${sources})
  target_link_libraries(korvel_contract PRIVATE korvel_platform GTest::gtest)
  add_test(NAME contract COMMAND korvel_contract)
endif()
