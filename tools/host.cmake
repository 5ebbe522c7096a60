include(${CMAKE_SOURCE_DIR}/tools/simulator/simulator.cmake)

# Scripts of user actions and transcripts as the UI driver reads and prints them.
add_library(korvel_script STATIC ${CMAKE_SOURCE_DIR}/tools/script/script.cpp)
target_include_directories(korvel_script PUBLIC ${CMAKE_SOURCE_DIR})
target_sources(korvel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/tools/script_test.cpp)
target_link_libraries(korvel_tests PRIVATE korvel_script)

# --- the setup-medium checker ---
include(${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cmake)

# The simulator as its users meet it (errors, the terminal session) is tested by
# running it.
target_sources(korvel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/tools/simulator_test.cpp)
target_compile_definitions(korvel_tests PRIVATE KORVEL_SIM="$<TARGET_FILE:korvel-sim>")
add_dependencies(korvel_tests korvel-sim)
