# SPDX-License-Identifier: GPL-3.0-or-later
# The window cross-built for 64-bit Windows against the Qt that packaging/windows/build-qt.sh
# makes (PELK_WINDOWS_QT, its install folder): MinGW's runtime and Qt as DLLs beside pelk.exe,
# Qt's host tools (moc, rcc) from Debian's Qt, the programs and tests run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/mingw-qt.cmake)
if(PELK_WINDOWS_QT)
    list(APPEND CMAKE_FIND_ROOT_PATH ${PELK_WINDOWS_QT})
endif()
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
find_program(WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE})
