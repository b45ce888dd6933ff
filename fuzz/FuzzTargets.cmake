# The fuzz targets' logic as a plain library, without libFuzzer: linked by
# the fuzzer executables (ZARVO_FUZZ) and by the replay test of the normal build.
if(NOT TARGET zarvo_fuzz_targets)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  add_library(zarvo_fuzz_targets STATIC ${CMAKE_CURRENT_LIST_DIR}/FuzzTargets.cpp
              ${CMAKE_CURRENT_LIST_DIR}/ValueFormatFuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/FormProfileFuzz.cpp
              ${CMAKE_CURRENT_LIST_DIR}/PictureFuzz.cpp)
  target_link_libraries(zarvo_fuzz_targets PUBLIC zarvo_compose zarvo_format zarvo_picture Qt6::Gui)
endif()
