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
# The entry point goes straight into the program: the C runtime asks for it only
# after the project's libraries have been searched.
set(KORVEL_ENTRY ${CMAKE_SOURCE_DIR}/platform/win/winmain.cpp)
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

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/windows.cmake)
  include(${CMAKE_SOURCE_DIR}/tools/windows.cmake)
endif()

include(${CMAKE_SOURCE_DIR}/tests/contract/contract.cmake)
