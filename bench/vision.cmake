tabrelo_bench(bench_vision ${CMAKE_CURRENT_LIST_DIR}/bench_vision.cpp)
target_link_libraries(bench_vision PRIVATE tabrelo_grid tabrelo_camera OpenCV::imgproc OpenCV::imgcodecs)
