# The programs that are not the wizard, for every configuration that has them:
#   korvel_script        scripts of user actions and transcripts (Linux, Windows)
#   korvel-sim           the simulator: the real wizard on a simulated PC (Linux)
#   korvel-medium-check  the setup-medium checker (every configuration)
#   uidriver, spoolstate, printui.dll  the Windows tools of the Wine tests (x86-64, and
#                        i686 for the 32-bit prefix, which runs 32-bit programs only)
if(WIN32)
  set(KORVEL_WINDOWS_TOOLS ON)
endif()

# Scripts of user actions and transcripts, as the simulator and the UI driver read and
# print them.
if(NOT WIN32 OR KORVEL_WINDOWS_TOOLS)
  add_library(korvel_script STATIC ${CMAKE_SOURCE_DIR}/tools/script/script.cpp)
  target_include_directories(korvel_script PUBLIC ${CMAKE_SOURCE_DIR})
endif()

# The simulator: the real wizard, with the same page code, on a simulated PC.
if(NOT WIN32)
  file(GLOB KORVEL_SIMULATOR_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/simulator/*.cpp)
  add_executable(korvel-sim ${KORVEL_SIMULATOR_SOURCES} $<TARGET_OBJECTS:korvel_logic>)
  target_link_libraries(korvel-sim PRIVATE korvel_platform korvel_script)
  target_compile_definitions(korvel-sim PRIVATE KORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             KORVEL_SIM_SIBLING_EXE="${KORVEL_SIM_SIBLING_EXE}")
endif()

# The setup-medium checker, for Linux (on the simulated machine) and for Windows (a
# console program on the system's own readers). It links the installer's and the
# detection's objects of the program, nothing of its pages.
set(KORVEL_READER_OBJECTS "$<FILTER:$<TARGET_OBJECTS:korvel_logic>,INCLUDE,/(installer|detect)/>")
if(WIN32)
  set(KORVEL_MEDIUM_CHECK_MAIN ${CMAKE_SOURCE_DIR}/tools/medium_check/main_win.cpp)
else()
  set(KORVEL_MEDIUM_CHECK_MAIN ${CMAKE_SOURCE_DIR}/tools/medium_check/main_host.cpp)
endif()
# Its core (all but the main) is also linked into the unit tests and the catalogue fuzz target.
set(KORVEL_MEDIUM_CHECK_CORE)
foreach(part medium_check driver_inf_check driver_files_check inf_sections closest_name)
  list(APPEND KORVEL_MEDIUM_CHECK_CORE ${CMAKE_SOURCE_DIR}/tools/medium_check/${part}.cpp)
endforeach()
add_executable(korvel-medium-check ${KORVEL_MEDIUM_CHECK_MAIN} ${KORVEL_MEDIUM_CHECK_CORE} ${KORVEL_READER_OBJECTS})
target_link_libraries(korvel-medium-check PRIVATE korvel_platform)

# The Windows tools, built in both Windows configurations: the x86-64 ones for a 64-bit
# prefix (and 64-bit Windows), where the program's x86-64 sibling runs the 64-bit
# rundll32; the i686 ones for a 32-bit prefix, as on 32-bit Windows.
if(KORVEL_WINDOWS_TOOLS)
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
  # i686: the .def file's undecorated name exports the stdcall PrintUIEntryW@16.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_link_options(printui PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endif()
