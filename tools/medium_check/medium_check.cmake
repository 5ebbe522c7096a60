# korvel-medium-check: the setup-medium checker, for Linux (on the simulated machine)
# and for Windows (a console program on the system's own readers). It links the
# installer's and the detection's objects of the program, nothing of its pages.
set(KORVEL_READER_OBJECTS "$<FILTER:$<TARGET_OBJECTS:korvel_logic>,INCLUDE,/(installer|detect)/>")
if(WIN32)
  add_executable(korvel-medium-check ${CMAKE_SOURCE_DIR}/tools/medium_check/main_win.cpp
                 ${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cpp ${KORVEL_READER_OBJECTS})
  target_link_libraries(korvel-medium-check PRIVATE korvel_platform)
else()
  add_executable(korvel-medium-check ${CMAKE_SOURCE_DIR}/tools/medium_check/main_host.cpp
                 ${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cpp ${KORVEL_READER_OBJECTS})
  target_link_libraries(korvel-medium-check PRIVATE korvel_platform)
  # The unit tests check media with the checker's core, and run the program itself.
  target_sources(korvel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cpp)
  target_compile_definitions(korvel_tests PRIVATE KORVEL_MEDIUM_CHECK="$<TARGET_FILE:korvel-medium-check>")
  add_dependencies(korvel_tests korvel-medium-check)
endif()
