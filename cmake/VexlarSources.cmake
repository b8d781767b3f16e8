# The module's code is one static library, vexlar_core, linked by Vexlar.dll,
# every test program and every tool. Each folder's sources are picked up by
# pattern so that adding a file needs no edit here.
#
# The native build holds only what is free of Windows: the SVG readers and the
# portable implementation of the graphics layer's path and matrix operations.
file(GLOB VEXLAR_SVG_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/svg/*.cpp)

if(VEXLAR_WINDOWS)
  file(GLOB VEXLAR_WINDOWS_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/plugin/*.cpp
    ${PROJECT_SOURCE_DIR}/layers/*.cpp
    ${PROJECT_SOURCE_DIR}/render/*.cpp
    ${PROJECT_SOURCE_DIR}/dialogs/*.cpp)
  list(FILTER VEXLAR_WINDOWS_SOURCES EXCLUDE REGEX ".*/render/graphics_portable\\.cpp$")
  add_library(vexlar_core STATIC ${VEXLAR_SVG_SOURCES} ${VEXLAR_WINDOWS_SOURCES})
  target_link_libraries(vexlar_core PUBLIC EXPAT::EXPAT gdiplus gdi32 user32 kernel32)
  target_compile_definitions(vexlar_core PUBLIC XML_STATIC)
else()
  add_library(vexlar_core STATIC ${VEXLAR_SVG_SOURCES}
    ${PROJECT_SOURCE_DIR}/render/graphics_portable.cpp)
  target_link_libraries(vexlar_core PUBLIC EXPAT::EXPAT m)
endif()
target_include_directories(vexlar_core PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(vexlar_core PRIVATE -fno-exceptions)

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
  target_link_libraries(Vexlar PRIVATE -Wl,--whole-archive vexlar_core -Wl,--no-whole-archive
    EXPAT::EXPAT gdiplus gdi32 user32 kernel32)
endif()
