# Windows-only tools, built in the x86-64 configuration (they run under 64-bit Wine
# and on 64-bit Windows beside the wizard).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_library(korvel_script STATIC ${CMAKE_SOURCE_DIR}/tools/script/script.cpp)
  target_include_directories(korvel_script PUBLIC ${CMAKE_SOURCE_DIR})

  # Drives the real wizard from outside and prints the transcript.
  add_executable(uidriver ${CMAKE_SOURCE_DIR}/tools/uidriver/main.cpp ${CMAKE_SOURCE_DIR}/tools/uidriver/screenshot.cpp)
  target_link_libraries(uidriver PRIVATE korvel_script user32 gdi32 kernel32)

  # Lists the spooler's printers, drivers, ports and default printer; adds printers
  # for test set-ups.
  add_executable(spoolstate ${CMAKE_SOURCE_DIR}/tools/spoolstate/main.cpp)
  target_include_directories(spoolstate PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(spoolstate PRIVATE winspool kernel32)

  # A printer-UI entry for test prefixes: carries out /if, /y and /k.
  add_library(printui SHARED ${CMAKE_SOURCE_DIR}/tools/printui/printui.cpp ${CMAKE_SOURCE_DIR}/tools/printui/printui.def)
  set_target_properties(printui PROPERTIES PREFIX "" OUTPUT_NAME printui)
  target_include_directories(printui PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(printui PRIVATE winspool shell32 kernel32)
endif()

# A small wizard that tests/wine/e2e.sh drives to check the UI driver itself.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_executable(uidriver_probe WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/probe/probe.cpp ${CMAKE_SOURCE_DIR}/tests/wine/probe/probe.rc)
  target_link_libraries(uidriver_probe PRIVATE comctl32 user32 kernel32)
endif()

# Times a wizard from its start to its first page (tests/wine/start-time.sh).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_executable(first_page ${CMAKE_SOURCE_DIR}/tests/wine/starttime/first_page.cpp)
  target_link_libraries(first_page PRIVATE user32 kernel32)
endif()

# The planting test's planted libraries, rundll32 and library-search probe.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  include(${CMAKE_SOURCE_DIR}/tests/wine/planting/planting.cmake)
endif()

# --- the setup-medium checker ---
include(${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cmake)
