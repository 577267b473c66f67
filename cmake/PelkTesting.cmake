# SPDX-License-Identifier: GPL-3.0-or-later
# One way to add a test, so that every test gets the same flags and environment.

# pelk_add_gtest(NAME SOURCES... LIBS...)
# Cross-built for Windows, GoogleTest is built from Debian's sources with the same compiler.
if(CMAKE_CROSSCOMPILING AND WIN32 AND PELK_BUILD_TESTS AND NOT TARGET GTest::gtest)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(pelk_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT TARGET GTest::gtest)
        find_package(GTest REQUIRED)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    if(WIN32)
        # Linked whole, as pelk-cli.exe is: with MinGW's runtime as DLLs, a test whose threads
        # have all ended can still hang as it exits under Wine.
        target_link_options(${name} PRIVATE -static)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    # Tests never depend on the machine's own locale or zone.
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "LANG=C;LC_ALL=;LC_NUMERIC=;TZ=UTC0")
endfunction()

# pelk_add_qtest(NAME SOURCES... LIBS...): a QtTest widget test, headless.
function(pelk_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Test Widgets)
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
    if(WIN32)
        # Under Wine through a script that names the platform and reads the suite's own report.
        # One suite at a time: two at once under one Wine server can hang on the clipboard.
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/qtest_under_wine.sh
                                      $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C;LC_ALL=;LC_NUMERIC=;TZ=UTC0")
endfunction()
