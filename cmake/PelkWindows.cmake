# SPDX-License-Identifier: GPL-3.0-or-later
# Pelk for Windows: pelk.exe and pelk-cli.exe in one folder with the Qt and MinGW DLLs and the Qt
# plugins they load (what windeployqt does on Windows; Qt 6.4's qtbase has none), the sample
# export and the licence; then that folder as a portable zip and as an NSIS installer
# (`cmake --build --preset windows --target windows_packages`).
get_filename_component(pelk_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
file(GLOB pelk_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(GET pelk_gcc_dirs -1 pelk_gcc_dir)
set(pelk_runtime_dlls
    ${pelk_qt_prefix}/bin/Qt6Core.dll ${pelk_qt_prefix}/bin/Qt6Gui.dll
    ${pelk_qt_prefix}/bin/Qt6Widgets.dll ${pelk_gcc_dir}/libgcc_s_seh-1.dll
    ${pelk_gcc_dir}/libstdc++-6.dll /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
set(pelk_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll)

# The build's own folder of programs gets them too, with what the tests need besides: QtTest,
# the offscreen platform and a font for it (offscreen Qt reads its fonts from lib/fonts).
file(COPY ${pelk_runtime_dlls} ${pelk_qt_prefix}/bin/Qt6Test.dll
     DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(plugin ${pelk_plugins} platforms/qoffscreen.dll)
    get_filename_component(folder ${plugin} DIRECTORY)
    file(COPY ${pelk_qt_prefix}/plugins/${plugin}
         DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder})
endforeach()
file(COPY /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
     /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lib/fonts)

install(TARGETS pelk RUNTIME DESTINATION .)
install(FILES ${pelk_runtime_dlls} DESTINATION .)
foreach(plugin ${pelk_plugins})
    get_filename_component(folder ${plugin} DIRECTORY)
    install(FILES ${pelk_qt_prefix}/plugins/${plugin} DESTINATION ${folder})
endforeach()
install(FILES app/sample/exemple-export.txt DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENCE.txt)

# The folder, stripped, then packed two ways.
set(pelk_stage ${PROJECT_BINARY_DIR}/Pelk-${PROJECT_VERSION})
set(pelk_zip ${PROJECT_BINARY_DIR}/Pelk-${PROJECT_VERSION}-windows.zip)
set(pelk_setup ${PROJECT_BINARY_DIR}/Pelk-${PROJECT_VERSION}-setup.exe)
configure_file(packaging/windows/pelk.nsi.in ${PROJECT_BINARY_DIR}/pelk.nsi @ONLY)
find_program(MAKENSIS makensis)
add_custom_target(windows_packages
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${pelk_stage}
    COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${pelk_stage} --strip
    COMMAND sh -c "${CMAKE_STRIP} --strip-unneeded ${pelk_stage}/*.dll ${pelk_stage}/*/*.dll"
    COMMAND ${CMAKE_COMMAND} -E rm -f ${pelk_zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${pelk_zip} --format=zip Pelk-${PROJECT_VERSION}
    COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 ${PROJECT_BINARY_DIR}/pelk.nsi
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    DEPENDS pelk pelk-cli
    COMMENT "Making Pelk-${PROJECT_VERSION}-windows.zip and Pelk-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
