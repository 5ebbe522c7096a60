# libFuzzer targets: tests/fuzz/<name>.cpp becomes fuzz_<name>, with its seed corpus in
# tests/fuzz/corpus/<name>/. `ninja fuzz_targets` builds them all; scripts/fuzz.sh
# builds and runs them.
file(GLOB KORVEL_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
add_custom_target(fuzz_targets)
foreach(source ${KORVEL_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(fuzz_${name} ${source} $<TARGET_OBJECTS:korvel_logic>)
  target_link_libraries(fuzz_${name} PRIVATE korvel_platform)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_targets fuzz_${name})
endforeach()
