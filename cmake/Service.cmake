# Where the program finds its service, fixed at build time. The presets name
# the production host for release builds and loopback for the demo and tests.
set(SORVIK_SERVICE_URL "" CACHE STRING
  "Service address: http://host[:port] or https://host[:port]; empty derives it from SORVIK_SERVICE_HOST")
set(SORVIK_SERVICE_HOST "jsq.sorvik.net" CACHE STRING
  "Older form: host and optional :port of a plain http service, used when SORVIK_SERVICE_URL is empty")
set(SORVIK_WEBSITE_URL "http://www.sorvik.net" CACHE STRING "Official web site (root page)")
set(SORVIK_FORUM_URL "http://bbs.sorvik.net" CACHE STRING "Forum host; the program appends the page path")
if(SORVIK_SERVICE_URL STREQUAL "")
  set(SORVIK_SERVICE_BASE "http://${SORVIK_SERVICE_HOST}")
else()
  set(SORVIK_SERVICE_BASE "${SORVIK_SERVICE_URL}")
endif()
# The same form the program accepts: scheme, host of letters, digits, "-" and ".", an optional port.
if(NOT SORVIK_SERVICE_BASE MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://[A-Za-z0-9.-]+(:[0-9]+)?$")
  message(FATAL_ERROR "SORVIK_SERVICE_URL must be http://host[:port] or https://host[:port], "
    "not '${SORVIK_SERVICE_BASE}'")
endif()
message(STATUS "Service address: ${SORVIK_SERVICE_BASE}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/service_config.h.in
  ${CMAKE_BINARY_DIR}/generated/service_config.h @ONLY)
