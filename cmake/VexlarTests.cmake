# Test programs: each folder under tests/ becomes one GoogleTest program,
# registered as one ctest test (every wine64 start costs seconds, so tests are
# not registered one per TEST). tests/common holds the fake host and other
# shared test code for the Windows programs.

if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND VEXLAR_WINDOWS)
  # This machine cannot run 32-bit code: the DLL is read statically, then its
  # code runs in the Unicorn CPU emulator (Debian's python3-unicorn, which
  # Debian's own python3 imports) under an emulated host.
  add_test(NAME dll_exports
    COMMAND ${PROJECT_SOURCE_DIR}/tools/check-dll.sh $<TARGET_FILE:Vexlar>)
  find_program(VEXLAR_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  add_test(NAME dll_emulated
    COMMAND ${VEXLAR_DEBIAN_PYTHON} -B ${PROJECT_SOURCE_DIR}/tests/emu/dll_test.py
            $<TARGET_FILE:Vexlar>)
  set_tests_properties(dll_emulated PROPERTIES TIMEOUT 300)
  return()
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(VEXLAR_NATIVE_TEST_DIRS svg filters out_of_memory)
set(VEXLAR_WINDOWS_TEST_DIRS host svg render layers dialogs)

if(VEXLAR_WINDOWS)
  file(GLOB VEXLAR_TEST_COMMON CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/common/*.cpp)
  set(dirs ${VEXLAR_WINDOWS_TEST_DIRS})
else()
  set(VEXLAR_TEST_COMMON)
  set(dirs ${VEXLAR_NATIVE_TEST_DIRS})
endif()

# The stage folders of svg/ include only earlier stages (native build only:
# the check reads the sources, not a build).
if(NOT VEXLAR_WINDOWS)
  add_test(NAME svg_stages COMMAND bash ${PROJECT_SOURCE_DIR}/tools/check-stages.sh)
endif()

foreach(dir ${dirs})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT sources)
    continue()
  endif()
  set(name ${dir}_tests)
  add_executable(${name} ${sources} ${VEXLAR_TEST_COMMON})
  target_link_libraries(${name} PRIVATE vexlar_core gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VEXLAR_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  if(VEXLAR_WINDOWS)
    add_dependencies(${name} Vexlar)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
endforeach()
