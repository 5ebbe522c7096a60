# Windows builds: a Unicode GUI program, statically linked, importing only system DLLs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KORVEL_MANIFEST_ARCH x86)
  set(KORVEL_EXE_NAME KorvelSetup)
else()
  set(KORVEL_MANIFEST_ARCH amd64)
  set(KORVEL_EXE_NAME KorvelSetup64)
endif()
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
add_compile_options(-Os -ffunction-sections -fdata-sections)
add_link_options(-static -static-libgcc -static-libstdc++ -municode -Wl,--gc-sections)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_link_options(-s)
endif()

file(GLOB KORVEL_PLATFORM_WIN CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win/*.cpp)
# The entry point and the terminate handler go straight into the program: the C
# runtime and the C++ library ask for them only after the project's libraries have
# been searched.
set(KORVEL_ENTRY ${CMAKE_SOURCE_DIR}/platform/win/winmain.cpp ${CMAKE_SOURCE_DIR}/platform/win/terminate.cpp)
list(REMOVE_ITEM KORVEL_PLATFORM_WIN ${KORVEL_ENTRY})
add_library(korvel_platform STATIC ${KORVEL_PLATFORM_COMMON} ${KORVEL_PLATFORM_WIN})
target_include_directories(korvel_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(korvel_platform PUBLIC comctl32 setupapi cfgmgr32 newdev winspool shell32 advapi32 user32 kernel32)

add_library(korvel_logic OBJECT ${KORVEL_LOGIC_SOURCES})
target_link_libraries(korvel_logic PUBLIC korvel_platform)

configure_file(${CMAKE_SOURCE_DIR}/res/wizard.manifest.in ${CMAKE_BINARY_DIR}/res/wizard.manifest @ONLY)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/res")
add_executable(${KORVEL_EXE_NAME} WIN32 ${KORVEL_ENTRY} $<TARGET_OBJECTS:korvel_logic> ${CMAKE_SOURCE_DIR}/res/wizard.rc)
target_link_libraries(${KORVEL_EXE_NAME} PRIVATE korvel_platform)
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
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KORVEL_SIBLING_EXE "" CACHE FILEPATH "KorvelSetup64.exe of the x86-64 build, for the 32-bit medium")
  if(KORVEL_SIBLING_EXE)
    korvel_medium_file(KorvelSetup64.exe ${KORVEL_SIBLING_EXE})
  endif()
endif()
