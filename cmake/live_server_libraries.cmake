# Finds the live server's libraries (Boost's headers for Beast and Asio,
# nlohmann-json) as VISTREL_SERVE asks, and sets VISTREL_SERVE_FOUND. Its
# absence is said once, here.
set(VISTREL_SERVE_FOUND OFF)
if(VISTREL_SERVE STREQUAL "OFF")
  message(STATUS "Live server: off (VISTREL_SERVE=OFF); vistrel-desktop --serve is not built")
  return()
endif()
if(NOT VISTREL_SERVE MATCHES "^(AUTO|ON)$")
  message(FATAL_ERROR "VISTREL_SERVE must be AUTO, ON or OFF, not '${VISTREL_SERVE}'")
endif()
if(VISTREL_SERVE STREQUAL "ON")
  set(required REQUIRED)
endif()
find_package(Boost 1.74 QUIET ${required})
find_package(nlohmann_json 3 QUIET ${required})
find_package(Threads ${required})
if(Boost_FOUND AND nlohmann_json_FOUND AND Threads_FOUND)
  set(VISTREL_SERVE_FOUND ON)
else()
  message(STATUS "Live server: left out, Boost or nlohmann-json not found "
                 "(scripts/install-deps installs them); vistrel-desktop --serve is not built")
endif()
