# Where the program finds its service, fixed at build time. The presets name
# the production host for release builds and loopback for the demo and tests.
set(SORVIK_SERVICE_HOST "jsq.sorvik.net" CACHE STRING "Service host and optional :port, no scheme")
set(SORVIK_WEBSITE_URL "http://www.sorvik.net" CACHE STRING "Official web site (root page)")
set(SORVIK_FORUM_URL "http://bbs.sorvik.net" CACHE STRING "Forum host; the program appends the page path")
configure_file(${CMAKE_CURRENT_LIST_DIR}/service_config.h.in
  ${CMAKE_BINARY_DIR}/generated/service_config.h @ONLY)
