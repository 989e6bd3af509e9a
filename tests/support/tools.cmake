# mirale-fixtures: writes the generated Ogg Vorbis sample files into a folder, for
# the benchmarks, the fuzz corpus and the demo. Included from tests/CMakeLists.txt.
add_executable(mirale-fixtures ${CMAKE_CURRENT_LIST_DIR}/fixture_tool.cpp)
target_link_libraries(mirale-fixtures PRIVATE mirale_test_support)
