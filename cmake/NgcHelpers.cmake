# Warnings are set per target, never in the global flags.
function(ngc_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                             -Wnull-dereference -Wimplicit-fallthrough)
    if(NGC_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# ngc_add_library(<name> ALIAS <ns::name> [SHARED|STATIC] SOURCES ... LIBS ...)
# Platform libraries are shared (one host context per process); QT_NO_CAST_FROM_ASCII keeps text
# conversions explicit.
function(ngc_add_library name)
    cmake_parse_arguments(ARG "SHARED;STATIC" "ALIAS" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
    if(ARG_STATIC)
        add_library(${name} STATIC ${ARG_SOURCES})
    else()
        add_library(${name} SHARED ${ARG_SOURCES})
    endif()
    if(ARG_ALIAS)
        add_library(${ARG_ALIAS} ALIAS ${name})
    endif()
    target_compile_definitions(${name} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    ngc_set_warnings(${name})
endfunction()

# ngc_add_test(<name> SOURCES ... LIBS ... [GUI] [TIMEOUT s] [LABELS ...]): one GoogleTest
# executable, discovered by CTest. GUI tests get a QApplication (tests/support/gui_main.cpp); all
# run on Qt's offscreen platform; the test mains pin the locale.
function(ngc_add_test name)
    cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE ngc_test_gui_main)
    else()
        target_link_libraries(${name} PRIVATE ngc_test_core_main)
    endif()
    ngc_set_warnings(${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(props TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    if(ARG_LABELS)
        list(APPEND props LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# Every dependency the build needs is found through these: a missing one stops the configuration
# with the Debian packages to install (scripts/lib.sh installs them all), never a silent skip.
function(ngc_missing_dependency what packages)
    list(JOIN packages " " packages)
    message(FATAL_ERROR "${what} was not found. Install it with: sudo apt-get install ${packages}\n"
                        "(scripts/test and scripts/demo install every package the project needs)")
endfunction()

# ngc_find_package(<Name> [find_package arguments...] DEBIAN <packages>...)
macro(ngc_find_package name)
    cmake_parse_arguments(ngc_find "" "" "DEBIAN" ${ARGN})
    find_package(${name} ${ngc_find_UNPARSED_ARGUMENTS} QUIET)
    if(NOT ${name}_FOUND)
        ngc_missing_dependency("${name} ${ngc_find_UNPARSED_ARGUMENTS}" "${ngc_find_DEBIAN}")
    endif()
endmacro()

# ngc_pkg_check_module(<PREFIX> <module> DEBIAN <packages>...): a pkg-config module as the
# imported target PkgConfig::<PREFIX>.
macro(ngc_pkg_check_module prefix module)
    cmake_parse_arguments(ngc_pkg "" "" "DEBIAN" ${ARGN})
    pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${module})
    if(NOT ${prefix}_FOUND)
        ngc_missing_dependency("The pkg-config module ${module}" "${ngc_pkg_DEBIAN}")
    endif()
endmacro()

# ngc_require_qt_plugin(<path below Qt's plugin folder> DEBIAN <packages>...): a plugin Qt loads
# at run time (an SQL driver), which no link step would miss.
function(ngc_require_qt_plugin path)
    cmake_parse_arguments(ARG "" "" "DEBIAN" ${ARGN})
    if(NOT EXISTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/${path})
        ngc_missing_dependency("The Qt plugin ${path}" "${ARG_DEBIAN}")
    endif()
endfunction()

# ngc_require_program(<program> DEBIAN <packages>...)
function(ngc_require_program program)
    cmake_parse_arguments(ARG "" "" "DEBIAN" ${ARGN})
    find_program(NGC_PROGRAM_${program} ${program})
    if(NOT NGC_PROGRAM_${program})
        ngc_missing_dependency("The program ${program}" "${ARG_DEBIAN}")
    endif()
endfunction()
