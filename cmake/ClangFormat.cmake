# `format` rewrites every C++ file of the repository in the repository's style; `format-check`
# fails when clang-format would change any of them (./run test runs it before building).
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
    set(_tarvek_format_script ${CMAKE_CURRENT_LIST_DIR}/format.sh)
    add_custom_target(format
        COMMAND ${_tarvek_format_script} ${CLANG_FORMAT_EXE} fix
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
    add_custom_target(format-check
        COMMAND ${_tarvek_format_script} ${CLANG_FORMAT_EXE} check
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
endif()
