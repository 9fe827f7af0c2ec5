# One interface target carries the language standard, warnings, sanitizers and Qt safety defines.
add_library(velk_common INTERFACE)
target_compile_features(velk_common INTERFACE cxx_std_20)
target_compile_options(velk_common INTERFACE -Wall -Wextra)
target_compile_definitions(velk_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

set(VELK_SANITIZE "" CACHE STRING "Sanitizer build: empty, 'address' (ASan+UBSan) or 'thread' (TSan)")
if(VELK_SANITIZE STREQUAL "address")
    target_compile_options(velk_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(velk_common INTERFACE -fsanitize=address,undefined)
elseif(VELK_SANITIZE STREQUAL "thread")
    target_compile_options(velk_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(velk_common INTERFACE -fsanitize=thread)
elseif(NOT VELK_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VELK_SANITIZE must be empty, 'address' or 'thread'")
endif()

find_program(CLANG_FORMAT_EXE NAMES clang-format)
if(CLANG_FORMAT_EXE)
    file(GLOB_RECURSE _format_sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
        ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
        ${PROJECT_SOURCE_DIR}/bench/*.cpp)
    add_custom_target(format COMMAND ${CLANG_FORMAT_EXE} -i ${_format_sources}
        COMMENT "clang-format over src, tests and bench")
endif()
