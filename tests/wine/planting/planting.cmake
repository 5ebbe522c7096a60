# The planting test's own programs (x86-64, run under Wine by tests/wine/planting.sh):
# planted copies of newdev.dll, winspool.drv and rundll32.exe that leave markers, in
# BUILD/planted so that no program of the build ever finds them beside itself, and
# the probe that loads the libraries by name.
set(dir ${CMAKE_SOURCE_DIR}/tests/wine/planting)
set(planted ${CMAKE_BINARY_DIR}/planted)
foreach(name newdev winspool)
  add_library(planted_${name} SHARED ${dir}/planted_dll.cpp)
  target_include_directories(planted_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(planted_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} RUNTIME_OUTPUT_DIRECTORY ${planted})
endforeach()
set_target_properties(planted_winspool PROPERTIES SUFFIX ".drv")
add_executable(planted_rundll32 WIN32 ${dir}/planted_rundll32.cpp)
target_include_directories(planted_rundll32 PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(planted_rundll32 PROPERTIES OUTPUT_NAME rundll32 RUNTIME_OUTPUT_DIRECTORY ${planted})

add_executable(search_probe ${dir}/search_probe.cpp ${CMAKE_SOURCE_DIR}/platform/win/system_library.cpp
               ${CMAKE_SOURCE_DIR}/platform/text.cpp)
target_include_directories(search_probe PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(search_probe PRIVATE shell32 kernel32)
