# Every binary and library looks for our own libraries beside itself ($ORIGIN), in the build tree
# and once installed, so the folder can be copied or installed anywhere and still run. The build
# tree gets the installed search path as it is: no room reserved for rewriting, which would leave
# an empty entry (the current directory) in it.
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "$ORIGIN")
set(CMAKE_INSTALL_RPATH_USE_LINK_PATH OFF)
