# Read by cpack before it packages the build. The Debian package must be a
# build that keeps every player's boards in their own data folder (the
# program's folder belongs to the system and is shared by all users), and an
# optimised build without sanitizers. scripts/package.sh configures such a build.
if(CPACK_GENERATOR STREQUAL "DEB")
  if(NOT CPACK_PELLARO_BOARDS_IN_USER_DATA)
    message(FATAL_ERROR "the Debian package needs a build configured with "
                        "-DPELLARO_BOARDS_IN_USER_DATA=ON: run scripts/package.sh")
  endif()
  if(CPACK_PELLARO_SANITIZE OR NOT CPACK_PELLARO_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    message(FATAL_ERROR "the Debian package needs an optimised build without sanitizers: run scripts/package.sh")
  endif()
endif()
