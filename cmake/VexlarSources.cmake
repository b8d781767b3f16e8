# The module's code is one static library, vexlar_core, linked by Vexlar.dll,
# every test program and every tool. Each folder's sources, its stage folders
# included, are picked up by pattern so that adding a file needs no edit here.
#
# The native build holds only what is free of Windows: the SVG readers and the
# portable implementation of the graphics layer's path and matrix operations.
file(GLOB_RECURSE VEXLAR_SVG_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/svg/*.cpp)
# Filter primitives are plain pixel arithmetic, built and tested natively too.
file(GLOB VEXLAR_FILTER_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/render/filters/*.cpp)

if(VEXLAR_WINDOWS)
  file(GLOB_RECURSE VEXLAR_WINDOWS_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/plugin/*.cpp
    ${PROJECT_SOURCE_DIR}/layers/*.cpp
    ${PROJECT_SOURCE_DIR}/render/*.cpp
    ${PROJECT_SOURCE_DIR}/dialogs/*.cpp)
  list(FILTER VEXLAR_WINDOWS_SOURCES EXCLUDE REGEX ".*/render/graphics_portable\\.cpp$")
  add_library(vexlar_core STATIC ${VEXLAR_SVG_SOURCES} ${VEXLAR_WINDOWS_SOURCES})
  target_link_libraries(vexlar_core PUBLIC EXPAT::EXPAT gdiplus shlwapi gdi32 user32 kernel32)
  target_compile_definitions(vexlar_core PUBLIC XML_STATIC)
else()
  add_library(vexlar_core STATIC ${VEXLAR_SVG_SOURCES} ${VEXLAR_FILTER_SOURCES}
    ${PROJECT_SOURCE_DIR}/render/gradient_plan.cpp
    ${PROJECT_SOURCE_DIR}/render/compositing.cpp
    ${PROJECT_SOURCE_DIR}/render/figures.cpp
    ${PROJECT_SOURCE_DIR}/render/hairlines.cpp
    ${PROJECT_SOURCE_DIR}/render/path_clipping.cpp
    ${PROJECT_SOURCE_DIR}/render/region_rows.cpp
    ${PROJECT_SOURCE_DIR}/render/shape_fitting.cpp
    ${PROJECT_SOURCE_DIR}/render/graphics_portable.cpp)
  target_link_libraries(vexlar_core PUBLIC EXPAT::EXPAT m)
endif()
target_include_directories(vexlar_core PUBLIC ${PROJECT_SOURCE_DIR})

if(VEXLAR_WINDOWS)
  # Vexlar.dll: the library plus its export table. The module-definition file
  # gives the exported names their leading underscore and fixed ordinals.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VEXLAR_DEF ${PROJECT_SOURCE_DIR}/plugin/Vexlar32.def)
  else()
    set(VEXLAR_DEF ${PROJECT_SOURCE_DIR}/plugin/Vexlar64.def)
  endif()
  add_library(Vexlar SHARED ${VEXLAR_DEF})
  set_target_properties(Vexlar PROPERTIES PREFIX "" OUTPUT_NAME Vexlar LINKER_LANGUAGE CXX)
  # Every object of the library goes into the DLL, referenced or not.
  if(MSVC)
    target_link_libraries(Vexlar PRIVATE vexlar_core)
    target_link_options(Vexlar PRIVATE /WHOLEARCHIVE:vexlar_core)
  else()
    target_link_libraries(Vexlar PRIVATE -Wl,--whole-archive vexlar_core -Wl,--no-whole-archive
      EXPAT::EXPAT gdiplus shlwapi gdi32 user32 kernel32)
  endif()
  # The shipping 32-bit DLL is optimised (the default build type) and carries
  # no debug information: that goes to Vexlar.dll.debug beside it, which the
  # DLL names (a GNU debug link) for debuggers reading crash reports.
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_custom_command(TARGET Vexlar POST_BUILD
      WORKING_DIRECTORY $<TARGET_FILE_DIR:Vexlar>
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:Vexlar> $<TARGET_FILE_NAME:Vexlar>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE_NAME:Vexlar>
      COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:Vexlar>.debug $<TARGET_FILE_NAME:Vexlar>
      VERBATIM)
  endif()
endif()
