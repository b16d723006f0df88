# Shared set-up of the libFuzzer projects (trigwave/fuzz, dirhelper/fuzz): clang only,
# every object built with AddressSanitizer and UndefinedBehaviorSanitizer, binaries in bin/.
include(${CMAKE_CURRENT_LIST_DIR}/ProjectDefaults.cmake)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "the fuzz harnesses need clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
endif()

set(fuzz_sanitizers address,undefined,float-divide-by-zero)
add_compile_options(-Wall -Wextra -Werror -fno-omit-frame-pointer
                    -fsanitize=${fuzz_sanitizers} -fno-sanitize-recover=all)
add_link_options(-fsanitize=${fuzz_sanitizers})

# A harness: its own source, libFuzzer's main, and the instrumented code under test.
function(add_fuzzer name core)
  add_executable(${name} ${name}.cpp)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${core})
endfunction()
