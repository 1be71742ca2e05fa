# Shared build settings: warnings as errors for our own code, sanitizers on request.

if(QUARNEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# quarnel_warnings(target): the warning set every target of ours builds with.
function(quarnel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Wno-missing-field-initializers)
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
