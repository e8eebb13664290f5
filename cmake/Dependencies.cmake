# Every outside library is wrapped once here as an imported interface target.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(GLFW3 REQUIRED IMPORTED_TARGET glfw3)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
find_package(X11 REQUIRED)
# zlib: the image loader inflates a PNG's pixel data once, bounded, before
# stb does (see host/image_data.cpp).
find_package(ZLIB REQUIRED)

# stb ships as headers (and a small static library on Debian) in /usr/include/stb.
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)
find_library(STB_LIBRARY stb)

add_library(orbel_deps INTERFACE)
target_include_directories(orbel_deps SYSTEM INTERFACE ${STB_INCLUDE_DIR})
target_link_libraries(orbel_deps INTERFACE ${STB_LIBRARY} ZLIB::ZLIB PkgConfig::GLFW3 PkgConfig::OPENAL OpenGL::GL Threads::Threads ${CMAKE_DL_LIBS})
add_library(orbel::deps ALIAS orbel_deps)

# The data generator writes PNG and Ogg Vorbis files.
add_library(orbel_datagen_deps INTERFACE)
target_include_directories(orbel_datagen_deps SYSTEM INTERFACE ${STB_INCLUDE_DIR})
target_link_libraries(orbel_datagen_deps INTERFACE ${STB_LIBRARY} PkgConfig::VORBISENC)
add_library(orbel::datagen_deps ALIAS orbel_datagen_deps)
