# Shared set-up of the libFuzzer projects (trigwave/fuzz, dirhelper/fuzz): clang only,
# every object built with AddressSanitizer and UndefinedBehaviorSanitizer, binaries in bin/.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "the fuzz harnesses need clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
endif()
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

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
