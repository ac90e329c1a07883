# tabrelo-vision: the camera step without windows over cameras, videos,
# image sequences, scenes and pictures, as CSV.
add_executable(tabrelo-vision ${CMAKE_CURRENT_LIST_DIR}/tabrelo_vision.cpp)
target_link_libraries(tabrelo-vision PRIVATE tabrelo_camera)
