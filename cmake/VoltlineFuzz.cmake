# libFuzzer targets. They are built only in a separate clang tree (VOLTLINE_FUZZ=ON, see
# tests/run_fuzzers.sh); the default build registers one test that makes that tree and runs
# every fuzzer for a bounded time.
#
# To add a fuzzer, in the subsystem's CMakeLists.txt:
#   voltline_add_fuzzer(fuzz_name SOURCES fuzz/Thing.cpp LIBRARIES voltline_x CORPUS fuzz/corpus)
# It is a no-op in ordinary builds.

option(VOLTLINE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(VOLTLINE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "VOLTLINE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # Everything the fuzzers link is instrumented for coverage and checked by the sanitizers.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(voltline_fuzzers)
endif()

function(voltline_add_fuzzer name)
    if(NOT VOLTLINE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 1 FUZZ "" "CORPUS" "SOURCES;LIBRARIES")
    add_executable(${name} ${FUZZ_SOURCES})
    target_link_libraries(${name} PRIVATE ${FUZZ_LIBRARIES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(voltline_fuzzers ${name})
    cmake_path(ABSOLUTE_PATH FUZZ_CORPUS BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    set_property(GLOBAL APPEND PROPERTY VOLTLINE_FUZZERS "${name}|$<TARGET_FILE:${name}>|${FUZZ_CORPUS}")
endfunction()

# One line per fuzzer, name|binary|seed corpus, for the runner script.
function(_voltline_write_fuzzer_list)
    get_property(fuzzers GLOBAL PROPERTY VOLTLINE_FUZZERS)
    list(JOIN fuzzers "\n" content)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzzers.txt CONTENT "${content}\n")
endfunction()

if(VOLTLINE_FUZZ)
    cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _voltline_write_fuzzer_list)
elseif(VOLTLINE_BUILD_TESTS AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
    # Once per suite: the sanitizer build would only repeat the same clang tree.
    add_test(NAME fuzzers COMMAND ${PROJECT_SOURCE_DIR}/tests/run_fuzzers.sh
                                  ${CMAKE_BINARY_DIR}/fuzz)
    set_tests_properties(fuzzers PROPERTIES TIMEOUT 1800 SKIP_RETURN_CODE 77 LABELS fuzz)
endif()
