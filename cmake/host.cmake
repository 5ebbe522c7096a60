# Host build: the product code against the simulated Windows machine, with the tests.
if(KORVEL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(KORVEL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Fuzzing build (clang only, its own build folder): every source is instrumented for
# libFuzzer's coverage and built with ASan and UBSan; only the fuzz targets link
# libFuzzer's main (tests/tests.cmake).
if(KORVEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KORVEL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(Iconv REQUIRED)
find_package(Threads REQUIRED)

# The simulated machine builds its dialog templates from the same .rc file as Windows.
set(KORVEL_RC_EMBED ${CMAKE_BINARY_DIR}/generated/embedded_rc.cpp)
add_custom_command(OUTPUT ${KORVEL_RC_EMBED}
  COMMAND ${CMAKE_COMMAND} -DRC=${CMAKE_SOURCE_DIR}/res/wizard.rc -DHDR=${CMAKE_SOURCE_DIR}/res/resource.h
          -DOUT=${KORVEL_RC_EMBED} -P ${CMAKE_SOURCE_DIR}/cmake/embed_rc.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/res/wizard.rc ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/cmake/embed_rc.cmake)

file(GLOB_RECURSE KORVEL_PLATFORM_SIM CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/*.cpp)
add_library(korvel_platform STATIC ${KORVEL_PLATFORM_COMMON} ${KORVEL_PLATFORM_SIM} ${KORVEL_RC_EMBED})
target_include_directories(korvel_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(korvel_platform PUBLIC Iconv::Iconv Threads::Threads)

# The simulated machine's KorvelSetup64.exe, which the program hands over to under
# WOW64 (the simulator's wow64 statement, the tests): its digest is built into the
# program as the x86-64 program's is into the 32-bit one.
set(KORVEL_SIM_SIBLING_EXE ${CMAKE_BINARY_DIR}/generated/KorvelSetup64.exe)
file(CONFIGURE OUTPUT ${KORVEL_SIM_SIBLING_EXE} CONTENT "MZ: the x86-64 program, as the simulated machine runs it\n")
set(KORVEL_SIBLING_DIGEST ${CMAKE_BINARY_DIR}/generated/sibling_digest.cpp)
add_custom_command(OUTPUT ${KORVEL_SIBLING_DIGEST}
  COMMAND ${CMAKE_COMMAND} -DIN=${KORVEL_SIM_SIBLING_EXE} -DOUT=${KORVEL_SIBLING_DIGEST}
          -P ${CMAKE_SOURCE_DIR}/cmake/sibling_digest.cmake
  DEPENDS ${KORVEL_SIM_SIBLING_EXE} ${CMAKE_SOURCE_DIR}/cmake/sibling_digest.cmake)

add_library(korvel_logic OBJECT ${KORVEL_LOGIC_SOURCES} ${KORVEL_SIBLING_DIGEST})
target_link_libraries(korvel_logic PUBLIC korvel_platform)
