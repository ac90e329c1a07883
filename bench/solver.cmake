tabrelo_bench(bench_solver ${CMAKE_CURRENT_LIST_DIR}/bench_solver.cpp)
target_link_libraries(bench_solver PRIVATE tabrelo_solver)
