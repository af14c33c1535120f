# The Debian package, built by CPack from the main build tree (scripts/package.sh).
set(QM_MAINTAINER "qmclient developers <qmclient@example.org>")

# What Debian asks of every package: a copyright file and a compressed changelog.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
                   COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/doc/changelog
                   DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog
                   VERBATIM)
add_custom_target(qm_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION share/doc/qmclient)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qmclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT ${QM_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "income-level maintenance for the desktop")
# The summary above is its first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "qmhost opens a window in which a clerk searches, adds, changes and deletes\n"
    "the income levels, kept in a SQLite file per clerk. It loads the\n"
    "income-level module and its message-box library from its private folder.\n"
    "The package also holds qmproto, a tool that shows the documents a host and\n"
    "the module exchange.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QM_MAINTAINER})
# Library dependencies are read from the binaries; our own libraries sit in the private folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${QM_PRIVATE_DIR})
# The forms ask for Chinese fonts, which no library dependency brings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk, libqt6svg6, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(QM_TESTS AND TARGET qmhost)
  add_subdirectory(tests/package)
endif()
