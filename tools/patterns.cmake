# make_patterns: data/patterns, the digit patterns of the printed sheet.
add_executable(make_patterns ${CMAKE_CURRENT_LIST_DIR}/make_patterns.cpp)
target_link_libraries(make_patterns PRIVATE tabrelo_camera)
