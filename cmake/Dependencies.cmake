# Every outside library is wrapped once here as an imported interface target.

if(EMSCRIPTEN)
  # In the browser, Emscripten's own GLFW, WebGL and OpenAL (linked by the
  # orbel target's flags) stand in for the system's; stb comes from Debian's
  # headers, its decoders compiled into the game (host/web_stb.cpp)
  # since the prebuilt library is native code. C++ exceptions carry the
  # game's errors, so they are caught in the browser too.
  find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include PATH_SUFFIXES stb REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  add_library(orbel_deps INTERFACE)
  target_include_directories(orbel_deps SYSTEM INTERFACE ${STB_INCLUDE_DIR})
  target_compile_options(orbel_deps INTERFACE -fexceptions)
  target_link_options(orbel_deps INTERFACE -fexceptions)
  add_library(orbel::deps ALIAS orbel_deps)
  return()
endif()

find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(GLFW3 REQUIRED IMPORTED_TARGET glfw3)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
find_package(X11 REQUIRED)

# stb ships as headers (and a small static library on Debian) in /usr/include/stb.
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)
find_library(STB_LIBRARY stb)

add_library(orbel_deps INTERFACE)
target_include_directories(orbel_deps SYSTEM INTERFACE ${STB_INCLUDE_DIR})
target_link_libraries(orbel_deps INTERFACE ${STB_LIBRARY} PkgConfig::GLFW3 PkgConfig::OPENAL OpenGL::GL Threads::Threads ${CMAKE_DL_LIBS})
add_library(orbel::deps ALIAS orbel_deps)

# The data generator writes PNG and Ogg Vorbis files.
add_library(orbel_datagen_deps INTERFACE)
target_include_directories(orbel_datagen_deps SYSTEM INTERFACE ${STB_INCLUDE_DIR})
target_link_libraries(orbel_datagen_deps INTERFACE ${STB_LIBRARY} PkgConfig::VORBISENC)
add_library(orbel::datagen_deps ALIAS orbel_datagen_deps)
