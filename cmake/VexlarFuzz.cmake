# libFuzzer target for the document loader (native clang builds only):
#   cmake -DVEXLAR_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ ...
#   bin/fuzz_load -dict=tests/fuzz/svg.dict <corpus folder> tests/fuzz/seeds
# The library gets coverage instrumentation; the sanitizers come from
# VEXLAR_SANITIZE. Fuzzing is not part of the test command. Each input passes
# through /dev/shm/vexlar-fuzz-<pid>.svg (or /tmp), removed after every load.
option(VEXLAR_FUZZ "Build the libFuzzer target fuzz_load (clang, native only)" OFF)
if(NOT VEXLAR_FUZZ)
  return()
endif()
if(VEXLAR_WINDOWS OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "VEXLAR_FUZZ needs the native build with clang")
endif()

target_compile_options(vexlar_core PRIVATE -fsanitize=fuzzer-no-link)
add_executable(fuzz_load ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_load.cpp)
target_compile_options(fuzz_load PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_load PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_load PRIVATE vexlar_core)
