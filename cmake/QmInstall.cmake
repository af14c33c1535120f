# cmake --install: the programs and their libraries live together in a private folder, since
# qmhost finds the module and dialog.dll beside itself; bin/ holds symbolic links into it.
set(QM_PRIVATE_DIR lib/qmclient)

# qmhost --version prints the project's version.
if(TARGET qm_hostui)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/host/options.cpp TARGET_DIRECTORY qm_hostui
               APPEND PROPERTY COMPILE_DEFINITIONS QM_VERSION="${PROJECT_VERSION}")
endif()

set(qm_programs)
set(qm_libraries)
# The controls gallery is a developers' tool: it stays out of the clerks' package.
foreach(target qmhost qmproto)
  if(TARGET ${target})
    list(APPEND qm_programs ${target})
  endif()
endforeach()
foreach(target tarn204 dialog qmpgstore qmdeskout qm_platform qm_platform_qt)
  if(TARGET ${target})
    list(APPEND qm_libraries ${target})
  endif()
endforeach()

# The linker drops libraries a shared object calls nothing from; a shared object that names no C
# library is one Debian's checks refuse, so every one we ship keeps it.
foreach(library IN LISTS qm_libraries)
  target_link_libraries(${library} PRIVATE "-Wl,--push-state,--no-as-needed" -l:libc.so.6 "-Wl,--pop-state")
endforeach()

if(qm_programs)
  install(TARGETS ${qm_programs} RUNTIME DESTINATION ${QM_PRIVATE_DIR})
endif()
if(TARGET qmhost)
  # The clerk's manual, opened by 使用说明 from beside the programs.
  install(FILES ${PROJECT_BINARY_DIR}/bin/manual.html DESTINATION ${QM_PRIVATE_DIR})
endif()
if(qm_libraries)
  # Shared objects are loaded, not run: no execute bit.
  install(TARGETS ${qm_libraries} LIBRARY DESTINATION ${QM_PRIVATE_DIR}
          PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()

# The compiler's identification in every object is of no use on a clerk's machine.
if(CMAKE_OBJCOPY)
  foreach(target IN LISTS qm_programs qm_libraries)
    install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QM_PRIVATE_DIR}/$<TARGET_FILE_NAME:${target}>\"
                  COMMAND_ERROR_IS_FATAL ANY)")
  endforeach()
endif()

# Relative links, so the tree works under any prefix and when unpacked elsewhere.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/links)
foreach(program qmhost qmproto)
  if(TARGET ${program})
    file(CREATE_LINK ../${QM_PRIVATE_DIR}/${program} ${PROJECT_BINARY_DIR}/links/${program} SYMBOLIC)
    install(FILES ${PROJECT_BINARY_DIR}/links/${program} DESTINATION bin)
  endif()
endforeach()

# The desktop entry, its icon and the manual pages; man pages are stored compressed.
set(qm_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(qm_man_pages)
foreach(page qmhost.1 qmproto.1)
  configure_file(${qm_packaging}/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
                     COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/man/${page}
                     DEPENDS ${PROJECT_BINARY_DIR}/man/${page}
                     VERBATIM)
  list(APPEND qm_man_pages ${PROJECT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(qm_man ALL DEPENDS ${qm_man_pages})
install(FILES ${qm_man_pages} DESTINATION share/man/man1)
if(TARGET qmhost)
  install(FILES ${qm_packaging}/qmhost.desktop DESTINATION share/applications)
  install(FILES ${qm_packaging}/qmhost.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()
