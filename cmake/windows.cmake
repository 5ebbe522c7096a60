# Windows builds: a Unicode GUI program, statically linked, importing only system DLLs.
# The oldest Windows each program runs on: the 32-bit one on XP SP3 (5.1), the x86-64
# one on XP x64 and Server 2003 SP2 (5.2). The program and everything built on
# korvel_platform are compiled for it (the test tools, which run on a newer Windows or
# Wine only, keep the headers' default); the PE header's subsystem version must not
# exceed it either, or XP refuses the program. The headers still declare much that is
# newer, so tests/wine/check-binaries.sh checks every imported function against the
# Windows versions that export it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KORVEL_MANIFEST_ARCH x86)
  set(KORVEL_EXE_NAME KorvelSetup)
  set(KORVEL_WINVER 0x0501)
  set(KORVEL_SUBSYSTEM_MINOR 1)
else()
  set(KORVEL_MANIFEST_ARCH amd64)
  set(KORVEL_EXE_NAME KorvelSetup64)
  set(KORVEL_WINVER 0x0502)
  set(KORVEL_SUBSYSTEM_MINOR 2)
endif()
enable_language(RC)

# _SETUPAPI_ and _CFGMGR32_: the program defines the SetupAPI and configuration-manager
# functions it calls itself (platform/win/imports_setupapi.cpp), so their headers must
# not declare them dllimport.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_IE=0x0600 _SETUPAPI_ _CFGMGR32_)
add_compile_options(-Os -ffunction-sections -fdata-sections)
add_link_options(-static -static-libgcc -static-libstdc++ -municode -Wl,--gc-sections
                 -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,${KORVEL_SUBSYSTEM_MINOR})
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_link_options(-s)
endif()

file(GLOB KORVEL_PLATFORM_WIN CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win/*.cpp)
# The entry points and the C++ library's error paths go straight into the program: the
# C runtime and the C++ library ask for them only after the project's libraries have
# been searched.
set(KORVEL_ENTRY ${CMAKE_SOURCE_DIR}/platform/win/winmain.cpp ${CMAKE_SOURCE_DIR}/platform/win/cxx_errors.cpp)
list(REMOVE_ITEM KORVEL_PLATFORM_WIN ${KORVEL_ENTRY})
add_library(korvel_platform STATIC ${KORVEL_PLATFORM_COMMON} ${KORVEL_PLATFORM_WIN})
target_include_directories(korvel_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(korvel_platform PUBLIC _WIN32_WINNT=${KORVEL_WINVER} WINVER=${KORVEL_WINVER})
# Only libraries that Windows always takes from the system folder are imported;
# setupapi.dll, newdev.dll and winspool.drv are loaded at run time by full path
# (platform/win/system_library.h).
target_link_libraries(korvel_platform PUBLIC comctl32 shell32 advapi32 user32 kernel32)

# The digest of the x86-64 program that the 32-bit one hands over to (app/Sibling.h):
# scripts/build.sh builds the x86-64 configuration first and names its program here.
# Only the 32-bit program hands over; the x86-64 one is built without a digest.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KORVEL_SIBLING_EXE "" CACHE FILEPATH "KorvelSetup64.exe of the x86-64 build, for the 32-bit medium")
endif()
set(KORVEL_SIBLING_DIGEST ${CMAKE_BINARY_DIR}/generated/sibling_digest.cpp)
add_custom_command(OUTPUT ${KORVEL_SIBLING_DIGEST}
  COMMAND ${CMAKE_COMMAND} -DIN=${KORVEL_SIBLING_EXE} -DOUT=${KORVEL_SIBLING_DIGEST}
          -P ${CMAKE_SOURCE_DIR}/cmake/sibling_digest.cmake
  DEPENDS ${KORVEL_SIBLING_EXE} ${CMAKE_SOURCE_DIR}/cmake/sibling_digest.cmake
  COMMENT "The digest of the sibling ${KORVEL_SIBLING_EXE}")

add_library(korvel_logic OBJECT ${KORVEL_LOGIC_SOURCES} ${KORVEL_SIBLING_DIGEST})
target_link_libraries(korvel_logic PUBLIC korvel_platform)

# The program is lean: it throws no exceptions and takes its large buffers with
# new (std::nothrow), so it is built without them; what the C++ library would throw
# ends the program at once (platform/win/cxx_errors.cpp). On i686 the unwind tables
# serve exceptions only and go too; x86-64 keeps its .pdata/.xdata, which Windows
# itself uses to walk the stack.
set(KORVEL_LEAN_OPTIONS -fno-exceptions -include ${CMAKE_SOURCE_DIR}/platform/win/lean_cxx.h)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  list(APPEND KORVEL_LEAN_OPTIONS -fno-unwind-tables -fno-asynchronous-unwind-tables)
endif()
target_compile_options(korvel_platform PRIVATE ${KORVEL_LEAN_OPTIONS})
target_compile_options(korvel_logic PRIVATE ${KORVEL_LEAN_OPTIONS})

configure_file(${CMAKE_SOURCE_DIR}/res/wizard.manifest.in ${CMAKE_BINARY_DIR}/res/wizard.manifest @ONLY)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/res -I${CMAKE_BINARY_DIR}/generated")
add_executable(${KORVEL_EXE_NAME} WIN32 ${KORVEL_ENTRY} $<TARGET_OBJECTS:korvel_logic> ${CMAKE_SOURCE_DIR}/res/wizard.rc)
target_link_libraries(${KORVEL_EXE_NAME} PRIVATE korvel_platform)
target_compile_options(${KORVEL_EXE_NAME} PRIVATE ${KORVEL_LEAN_OPTIONS})
# The process starts in KorvelStartup (platform/win/winmain.cpp), which restricts the
# DLL search before the C runtime starts.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  target_link_options(${KORVEL_EXE_NAME} PRIVATE -Wl,-e,_KorvelStartup)
else()
  target_link_options(${KORVEL_EXE_NAME} PRIVATE -Wl,-e,KorvelStartup)
endif()
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/wizard.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/wizard.bmp;${CMAKE_SOURCE_DIR}/res/wizard.ico;${CMAKE_BINARY_DIR}/res/wizard.manifest;${CMAKE_SOURCE_DIR}/res/resource.h")

# The setup medium: ${CMAKE_BINARY_DIR}/medium/ with the program beside the catalogue and
# the driver trees, each under the name the program looks for (letter case included).
# korvel_medium_file(<name on the medium> <source file> [<target that makes it>]) puts
# one more file on it; the `medium` target copies each again when its source changes.
set(KORVEL_MEDIUM_DIR ${CMAKE_BINARY_DIR}/medium)
add_custom_target(medium ALL)
function(korvel_medium_file name source)
  set(output ${KORVEL_MEDIUM_DIR}/${name})
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    DEPENDS ${source} ${ARGN}
    COMMENT "Setup medium: ${name}"
    VERBATIM)
  target_sources(medium PRIVATE ${output})
endfunction()

korvel_medium_file(${KORVEL_EXE_NAME}.exe $<TARGET_FILE:${KORVEL_EXE_NAME}> ${KORVEL_EXE_NAME})
korvel_medium_file(PrinterInfor.Inf ${CMAKE_SOURCE_DIR}/medium/PrinterInfor.Inf)
# The driver trees go over whole, so whatever a driver package adds beside
# OEMPRINT.INF travels with it.
file(GLOB_RECURSE KORVEL_DRIVER_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/medium
  ${CMAKE_SOURCE_DIR}/medium/PrinterDriver/*)
foreach(file ${KORVEL_DRIVER_FILES})
  korvel_medium_file(${file} ${CMAKE_SOURCE_DIR}/medium/${file})
endforeach()

# The 32-bit medium carries the x86-64 program beside KorvelSetup.exe, in the same
# folder: on 64-bit Windows the 32-bit program hands over to it (app/Sibling.cpp).
# scripts/build.sh builds the x86-64 configuration first and names its program here.
if(KORVEL_SIBLING_EXE)
  korvel_medium_file(KorvelSetup64.exe ${KORVEL_SIBLING_EXE})
endif()
