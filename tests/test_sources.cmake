# One test program per module; each picks up its tests/<module>_*.cpp files,
# so adding a test file needs no edit here. Read by tests/ and, for the
# cross build, by tests/windows/.
set(vesk_tests_dir ${CMAKE_CURRENT_LIST_DIR})
foreach(module probe console about app outside)
  file(GLOB ${module}_test_sources CONFIGURE_DEPENDS ${vesk_tests_dir}/${module}_*.cpp)
endforeach()
