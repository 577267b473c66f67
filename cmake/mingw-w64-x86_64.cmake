# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building the core and pelk-cli for 64-bit Windows with Debian's MinGW-w64; the programs
# and tests run under Wine.
# The compilers and where they find their libraries, as for the Qt built for Windows.
include(${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/mingw-qt.cmake)
# One .exe that needs no MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE})
