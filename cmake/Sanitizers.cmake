# NELVOX_SANITIZE=ON builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# so that the test suite stops at the first memory error or undefined behaviour.
option(NELVOX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(NELVOX_SANITIZE)
    set(nelvox_sanitizer_flags -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_options(${nelvox_sanitizer_flags})
    add_link_options(-fsanitize=address,undefined)
endif()

# NELVOX_FUZZ=ON (with clang only) builds the libFuzzer targets of fuzz/ and instruments the
# core library for them.
option(NELVOX_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(NELVOX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "NELVOX_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    add_subdirectory(${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_BINARY_DIR}/fuzz)
endif()
