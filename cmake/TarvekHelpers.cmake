# tarvek_add_executable(NAME <target> [OUTPUT_NAME <file>] [VERSION a.b.c.d] SOURCES ... LIBS ...)
# Every executable we ship carries its file version inside itself (see platform/fileversion),
# so the update check can read it without side files.
set(TARVEK_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version_marker.cpp.in)

function(tarvek_add_executable)
    cmake_parse_arguments(ARG "" "NAME;OUTPUT_NAME;VERSION" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_VERSION)
        set(ARG_VERSION ${PROJECT_VERSION})
    endif()
    string(REPLACE "." ";" _parts ${ARG_VERSION})
    list(LENGTH _parts _n)
    while(_n LESS 4)
        list(APPEND _parts 0)
        list(LENGTH _parts _n)
    endwhile()
    list(GET _parts 0 TARVEK_VER_MAJOR)
    list(GET _parts 1 TARVEK_VER_MINOR)
    list(GET _parts 2 TARVEK_VER_BUILD)
    list(GET _parts 3 TARVEK_VER_REVISION)
    set(_marker ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_version_marker.cpp)
    configure_file(${TARVEK_VERSION_TEMPLATE} ${_marker} @ONLY)
    add_executable(${ARG_NAME} ${ARG_SOURCES} ${_marker})
    target_link_libraries(${ARG_NAME} PRIVATE tarvek_options ${ARG_LIBS})
    if(ARG_OUTPUT_NAME)
        set_target_properties(${ARG_NAME} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
    endif()
endfunction()

# tarvek_add_test(<name> SOURCES ... LIBS ... [ENV k=v ...])
# Tests run offscreen, as root-safe WebEngine, under the operators' Turkish locale.
function(tarvek_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE tarvek_options Qt6::Test ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE
        TARVEK_BUILD_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    tarvek_test_properties(${name} offscreen ${ARG_TIMEOUT} ${ARG_ENV})
endfunction()

# tarvek_test_properties(<test> <platform> <timeout> [NO_LEAK_CHECK] [k=v ...])
# The environment every test runs in; a test added by hand (one that needs its own X server)
# takes it from here too, so the sanitizer lane's options reach every test.
function(tarvek_test_properties name platform timeout)
    cmake_parse_arguments(ARG "NO_LEAK_CHECK" "" "" ${ARGN})
    set(_env "QT_QPA_PLATFORM=${platform}" "QTWEBENGINE_DISABLE_SANDBOX=1" "LANG=tr_TR.UTF-8"
        "LC_ALL=tr_TR.UTF-8"
        "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update --renderer-process-limit=1 --disable-features=PaintHolding"
        ${ARG_UNPARSED_ARGUMENTS})
    if(TARVEK_SANITIZE)
        # The browser engine frees some of its own objects through another type: that report is
        # its own and switched off; leaks the engine and the toolkit keep are suppressed by
        # library. Everything else stops the test.
        set(_asan "new_delete_type_mismatch=0:detect_odr_violation=0")
        if(ARG_NO_LEAK_CHECK)
            string(APPEND _asan ":detect_leaks=0")
        endif()
        list(APPEND _env
            "ASAN_OPTIONS=${_asan}"
            "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizer/lsan.supp:print_suppressions=0"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
        math(EXPR timeout "${timeout} * 3")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "${_env}")
endfunction()

# tarvek_forbid_widgets(<target>)
# The core stands below every window: it must never reach Qt Widgets. Checked twice: when the
# project is configured (the whole link graph of the target, walked once every target exists),
# and when it is built (a program links every object of the target without Widgets, so a
# widget used anywhere in the core fails the build with an undefined symbol).
function(_tarvek_links_widgets target out visited)
    set(${out} "" PARENT_SCOPE)
    if(NOT TARGET ${target} OR "${target}" IN_LIST ${visited})
        return()
    endif()
    list(APPEND ${visited} ${target})
    set(${visited} ${${visited}} PARENT_SCOPE)
    get_target_property(_aliased ${target} ALIASED_TARGET)
    if(_aliased)
        set(target ${_aliased})
    endif()
    if(target MATCHES "^Qt6?::Widgets$" OR target STREQUAL "Qt6::Widgets")
        set(${out} ${target} PARENT_SCOPE)
        return()
    endif()
    get_target_property(_type ${target} TYPE)
    set(_deps "")
    if(NOT _type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(_own ${target} LINK_LIBRARIES)
        if(_own)
            list(APPEND _deps ${_own})
        endif()
    endif()
    get_target_property(_iface ${target} INTERFACE_LINK_LIBRARIES)
    if(_iface)
        list(APPEND _deps ${_iface})
    endif()
    foreach(_dep IN LISTS _deps)
        if(_dep MATCHES "Widgets")
            set(${out} "${target} -> ${_dep}" PARENT_SCOPE)
            return()
        endif()
        _tarvek_links_widgets(${_dep} _found ${visited})
        set(${visited} ${${visited}} PARENT_SCOPE)
        if(_found)
            set(${out} "${target} -> ${_found}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

function(_tarvek_check_no_widgets target)
    set(_visited "")
    _tarvek_links_widgets(${target} _found _visited)
    if(_found)
        message(FATAL_ERROR "${target} must not link Qt Widgets, but it does: ${_found}")
    endif()
endfunction()

function(tarvek_forbid_widgets target)
    # Arguments of a deferred call are read when it runs: the target's name is written in now.
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${PROJECT_SOURCE_DIR}\" CALL _tarvek_check_no_widgets ${target})")
    set(_main ${CMAKE_CURRENT_BINARY_DIR}/${target}_links_without_widgets.cpp)
    file(WRITE ${_main} "int main() { return 0; }\n")
    add_executable(${target}_links_without_widgets ${_main})
    target_link_libraries(${target}_links_without_widgets PRIVATE
        "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
endfunction()
