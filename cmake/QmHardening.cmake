# The hardening Debian asks of a package: the flags dpkg-buildflags gives with all hardening on,
# only those that harden, so that the build type still decides optimisation and debug info.
# Sanitizer and fuzz builds keep their own instrumentation.
option(QM_HARDEN "Build with the hardening flags of dpkg-buildflags" ON)
find_program(QM_DPKG_BUILDFLAGS dpkg-buildflags)
if(QM_HARDEN AND QM_DPKG_BUILDFLAGS AND NOT QM_SANITIZE AND NOT QM_FUZZ)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${QM_DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    foreach(flag IN LISTS flags)
      if(flag MATCHES "^-D_FORTIFY_SOURCE=")
        # Fortified functions need the optimiser.
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
      elseif(flag MATCHES "^-fstack-protector|^-fstack-clash-protection$|^-fcf-protection")
        add_compile_options(${flag})
      elseif(flag MATCHES "^-Wl,-z,")
        add_link_options(${flag})
      endif()
    endforeach()
  endforeach()
endif()
