# Finds libogg, libvorbis, libopus and ISA-L: the distribution's in the native
# flavour, the static cross-built ones (MIRALE_WIN_DEPS, made by scripts/setup) in windows.
if(WIN32)
  set(MIRALE_WIN_DEPS "${CMAKE_SOURCE_DIR}/build/deps/win64" CACHE PATH "Prefix of the static Windows libraries")
  set(_mirale_hints HINTS "${MIRALE_WIN_DEPS}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(_mirale_include_hints HINTS "${MIRALE_WIN_DEPS}/include" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
else()
  set(_mirale_hints)
  set(_mirale_include_hints)
endif()

find_path(MIRALE_OGG_INCLUDE ogg/ogg.h ${_mirale_include_hints} REQUIRED)
find_path(MIRALE_VORBIS_INCLUDE vorbis/codec.h ${_mirale_include_hints} REQUIRED)
find_path(MIRALE_OPUS_INCLUDE opus/opus.h ${_mirale_include_hints} REQUIRED)
find_path(MIRALE_ISAL_INCLUDE isa-l/crc.h ${_mirale_include_hints} REQUIRED)

function(mirale_import name file include)
  find_library(MIRALE_${name}_LIBRARY NAMES ${file} ${_mirale_hints} REQUIRED)
  add_library(Mirale::${name} UNKNOWN IMPORTED)
  set_target_properties(Mirale::${name} PROPERTIES
    IMPORTED_LOCATION "${MIRALE_${name}_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${include}")
endfunction()

set(_mirale_xiph_include "${MIRALE_OGG_INCLUDE};${MIRALE_VORBIS_INCLUDE}")
mirale_import(ogg ogg "${_mirale_xiph_include}")
mirale_import(vorbis vorbis "${_mirale_xiph_include}")
mirale_import(vorbisenc vorbisenc "${_mirale_xiph_include}")
mirale_import(vorbisfile vorbisfile "${_mirale_xiph_include}")
mirale_import(opus opus "${MIRALE_OPUS_INCLUDE}")
mirale_import(isal isal "${MIRALE_ISAL_INCLUDE}")
set_property(TARGET Mirale::vorbis APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::ogg)
set_property(TARGET Mirale::vorbisenc APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::vorbis)
set_property(TARGET Mirale::vorbisfile APPEND PROPERTY INTERFACE_LINK_LIBRARIES Mirale::vorbis)
if(NOT WIN32)
  set_property(TARGET Mirale::vorbis APPEND PROPERTY INTERFACE_LINK_LIBRARIES m)
  set_property(TARGET Mirale::opus APPEND PROPERTY INTERFACE_LINK_LIBRARIES m)
endif()
