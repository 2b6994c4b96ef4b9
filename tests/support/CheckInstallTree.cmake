# Installs the desktop integration into a fresh prefix and checks that the icon is where
# desktops look for it and that the desktop entry names it.
# Usage: cmake -DBUILD_DIR=<build> -DPREFIX=<scratch prefix> -P CheckInstallTree.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component desktop
                        --prefix "${PREFIX}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install into ${PREFIX} failed: ${rc}")
endif()
set(icon "${PREFIX}/share/icons/hicolor/scalable/apps/quaverly.svg")
if(NOT EXISTS "${icon}")
  message(FATAL_ERROR "no application icon at ${icon}")
endif()
file(STRINGS "${PREFIX}/share/applications/quaverly.desktop" named REGEX "^Icon=")
if(NOT named STREQUAL "Icon=quaverly")
  message(FATAL_ERROR "the desktop entry names '${named}', not Icon=quaverly")
endif()
file(REMOVE_RECURSE "${PREFIX}")
