# print_sheet: the printable puzzle sheet and the page of digit tiles.
# make_images: data/imgs/digit and data/imgs/11x11.
add_executable(print_sheet ${CMAKE_CURRENT_LIST_DIR}/print_sheet.cpp)
target_link_libraries(print_sheet PRIVATE tabrelo_camera OpenCV::imgcodecs)
add_executable(make_images ${CMAKE_CURRENT_LIST_DIR}/make_images.cpp)
target_link_libraries(make_images PRIVATE tabrelo_camera OpenCV::imgcodecs)
