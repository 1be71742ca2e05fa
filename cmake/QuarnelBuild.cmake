# Shared build settings: warnings as errors for our own code, sanitizers on request.

if(QUARNEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUARNEL_FUZZ)
  # Every library the fuzz targets reach is instrumented for coverage and
  # checked; only the targets themselves link libFuzzer's driver.
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# quarnel_warnings(target): the warning set every target of ours builds with.
function(quarnel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wimplicit-fallthrough -Wno-missing-field-initializers
    # GCC 12's flow-based bounds warnings misfire inside the standard library's
    # own inlined code at -O2 (vector::insert, string copies); the sanitizer
    # build checks real bounds instead.
    $<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread -Wno-restrict>)
  # The fuzz build uses clang, which also flags the stand-ins' fields that are
  # kept for the host's API but not read yet, and the host's WriteReport,
  # whose entry-table signature puts a bool before its variadic part.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${target} PRIVATE -Wno-unused-private-field -Wno-varargs)
  endif()
endfunction()

# quarnel_library(name SHARED|STATIC SOURCES ... [DEPS ...]): one of our libraries,
# public headers under include/.
function(quarnel_library name kind)
  cmake_parse_arguments(QL "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} ${kind} ${QL_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${QL_DEPS} PRIVATE ${QL_PRIVATE_DEPS})
  quarnel_warnings(${name})
endfunction()
