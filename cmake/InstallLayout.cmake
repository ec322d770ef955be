# Where an installed tree puts the programs' files (GNUInstallDirs), and what the programs
# need to know of it. Nothing here depends on the prefix itself, so the same build installs
# under /usr for the packages or anywhere else, and the programs find their files relative
# to their own folder.
include(GNUInstallDirs)

# The monitor's own read-only files (the help pages) in an installed tree.
set(PLM870_SHARE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/plm870-monitor)
file(RELATIVE_PATH PLM870_SHARE_FROM_BINDIR
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${PLM870_SHARE_INSTALL_DIR})

# Installed programs find libTobrelComm3 through the loader's own search path when the
# library folder is one of the system's (a /usr install, the packages); anywhere else they
# look in the library folder of their own tree.
list(FIND CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES ${CMAKE_INSTALL_FULL_LIBDIR} _plm_system_libdir)
if(_plm_system_libdir EQUAL -1)
  file(RELATIVE_PATH _plm_lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set(CMAKE_INSTALL_RPATH "$ORIGIN/${_plm_lib_from_bin}")
endif()

# The id the menu entry, the icon and the AppStream data share; the window names it so that
# window managers and Wayland match the window to its menu entry.
set(PLM870_APP_ID com.tobrellumiras.PLM870Monitor)

# The version the version window shows and the packages carry, and the installed layout,
# for the program's code.
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProgramBuildInfo.h.in
               ${PROJECT_BINARY_DIR}/generated/ProgramBuildInfo.h @ONLY)

# A tree installed under /usr is what the Debian packages are made of: it is built with the
# hardening flags Debian builds its packages with (dpkg-buildflags: fortified functions, stack
# protector, read-only relocations bound at start), the build type keeping its own -O and -g.
# Sanitizer and fuzzer builds keep theirs alone.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" AND NOT PLM_SANITIZE AND NOT PLM_FUZZ)
  find_program(PLM870_DPKG_BUILDFLAGS dpkg-buildflags)
  if(PLM870_DPKG_BUILDFLAGS)
    set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
    foreach(_kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(COMMAND ${PLM870_DPKG_BUILDFLAGS} --get ${_kind} OUTPUT_VARIABLE _flags
                      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(_flags UNIX_COMMAND "${_flags}")
      list(FILTER _flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
      if(_kind STREQUAL "LDFLAGS")
        add_link_options(${_flags})
      else()
        add_compile_options(${_flags})
      endif()
    endforeach()
  endif()
endif()
