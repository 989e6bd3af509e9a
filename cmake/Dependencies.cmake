# Finds libogg and libvorbis: the distribution's in the native flavour, the
# static cross-built ones (MIRALE_WIN_DEPS, made by scripts/setup) in windows.
if(WIN32)
  set(MIRALE_WIN_DEPS "${CMAKE_SOURCE_DIR}/build/deps/win64" CACHE PATH "Prefix of the static Windows libogg/libvorbis")
  set(_mirale_hints HINTS "${MIRALE_WIN_DEPS}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(_mirale_include_hints HINTS "${MIRALE_WIN_DEPS}/include" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
else()
  set(_mirale_hints)
  set(_mirale_include_hints)
endif()

find_path(MIRALE_OGG_INCLUDE ogg/ogg.h ${_mirale_include_hints} REQUIRED)
find_path(MIRALE_VORBIS_INCLUDE vorbis/codec.h ${_mirale_include_hints} REQUIRED)

function(mirale_import name file)
  find_library(MIRALE_${name}_LIBRARY NAMES ${file} ${_mirale_hints} REQUIRED)
  add_library(Mirale::${name} UNKNOWN IMPORTED)
  set_target_properties(Mirale::${name} PROPERTIES
    IMPORTED_LOCATION "${MIRALE_${name}_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MIRALE_OGG_INCLUDE};${MIRALE_VORBIS_INCLUDE}")
endfunction()

mirale_import(ogg ogg)
mirale_import(vorbis vorbis)
mirale_import(vorbisenc vorbisenc)
mirale_import(vorbisfile vorbisfile)
set_property(TARGET Mirale::vorbis APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::ogg)
set_property(TARGET Mirale::vorbisenc APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::vorbis)
set_property(TARGET Mirale::vorbisfile APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::vorbis)
if(NOT WIN32)
  set_property(TARGET Mirale::vorbis APPEND PROPERTY INTERFACE_LINK_LIBRARIES m)
endif()
