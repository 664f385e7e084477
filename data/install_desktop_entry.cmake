# Runs at install time (cmake --install, cpack): writes the desktop entry with
# Exec= naming the installed program by its full path under the prefix used
# now, and installs it. data/CMakeLists.txt sets the PELLARO_* variables.

# Relative GNUInstallDirs folders lie under the prefix; absolute ones stand.
function(under_prefix dir result)
  if(IS_ABSOLUTE "${dir}")
    set(${result} "${dir}" PARENT_SCOPE)
  else()
    set(${result} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

under_prefix("${PELLARO_BINDIR}" bindir)
set(program "${bindir}/pellaro")

# The Exec value: a path with characters the desktop entry reserves (a
# blank, quotes, $ ...) is put in double quotes with \ " ` $ escaped, and
# then every backslash is doubled as the entry's string rules want; a
# percent sign is doubled so that it is not read as a field code.
set(PELLARO_EXEC "${program}")
string(REPLACE "%" "%%" PELLARO_EXEC "${PELLARO_EXEC}")
if(NOT PELLARO_EXEC MATCHES "^[-A-Za-z0-9_./+,:=@%]+$")
  string(REPLACE "\\" "\\\\" PELLARO_EXEC "${PELLARO_EXEC}")
  string(REPLACE "\"" "\\\"" PELLARO_EXEC "${PELLARO_EXEC}")
  string(REPLACE "`" "\\`" PELLARO_EXEC "${PELLARO_EXEC}")
  string(REPLACE "$" "\\$" PELLARO_EXEC "${PELLARO_EXEC}")
  string(REPLACE "\\" "\\\\" PELLARO_EXEC "${PELLARO_EXEC}")
  set(PELLARO_EXEC "\"${PELLARO_EXEC}\"")
endif()

configure_file("${PELLARO_DESKTOP_IN}" "${PELLARO_DESKTOP_OUT}" @ONLY)
under_prefix("${PELLARO_APPLICATIONS_DIR}" applications)
file(INSTALL "${PELLARO_DESKTOP_OUT}" DESTINATION "${applications}"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
