# Flags shared by every target of the project. Each target links quorvel_settings.
option(QUORVEL_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(QUORVEL_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)

add_library(quorvel_settings INTERFACE)
target_compile_features(quorvel_settings INTERFACE cxx_std_20)
target_compile_options(quorvel_settings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(quorvel_settings INTERFACE
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS
    QT_NO_URL_CAST_FROM_STRING
    QUORVEL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    QUORVEL_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    QUORVEL_VERSION_PATCH=${PROJECT_VERSION_PATCH})

if(QUORVEL_WARNINGS_AS_ERRORS)
    target_compile_options(quorvel_settings INTERFACE -Werror)
endif()

if(QUORVEL_SANITIZE)
    target_compile_options(quorvel_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(quorvel_settings INTERFACE -fsanitize=address,undefined)
endif()

# Every program of the project lands in one folder, the layout it has when installed:
# quorvel, trelvane, kestrune and the shipped data files side by side.
set(QUORVEL_PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${QUORVEL_PROGRAM_DIR})

# Adds a Qt Test executable to ctest. Widget tests run on the offscreen platform.
function(quorvel_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quorvel_settings Qt6::Test ${ARG_LIBRARIES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVEL_PROGRAM_DIR=${QUORVEL_PROGRAM_DIR};QUORVEL_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0"
        TIMEOUT 120)
endfunction()
