include(${CMAKE_SOURCE_DIR}/tools/simulator/simulator.cmake)

# --- the setup-medium checker ---
include(${CMAKE_SOURCE_DIR}/tools/medium_check/medium_check.cmake)
