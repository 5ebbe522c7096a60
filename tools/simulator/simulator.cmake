# The simulator: the real wizard, with the same page code, on a simulated PC.
file(GLOB KORVEL_SIMULATOR_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/simulator/*.cpp)
add_executable(korvel-sim ${KORVEL_SIMULATOR_SOURCES} $<TARGET_OBJECTS:korvel_logic>)
target_link_libraries(korvel-sim PRIVATE korvel_platform korvel_script)
target_compile_definitions(korvel-sim PRIVATE KORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Scenario tests: each tests/scenarios/NAME.script runs on NAME.scenario (or the
# demo PC when there is none) and its transcript must equal NAME.expected.
file(GLOB KORVEL_SCENARIO_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*.script)
foreach(script ${KORVEL_SCENARIO_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME scenario-${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/scenarios/run.sh $<TARGET_FILE:korvel-sim> ${name})
endforeach()
