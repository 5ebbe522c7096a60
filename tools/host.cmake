include(${CMAKE_SOURCE_DIR}/tools/simulator/simulator.cmake)
