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
