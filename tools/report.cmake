# tabrelo-report: a test series' results as an HTML page with charts and a table.
add_executable(tabrelo-report ${CMAKE_CURRENT_LIST_DIR}/report/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/report/StudyData.cpp ${CMAKE_CURRENT_LIST_DIR}/report/ReportPage.cpp)
target_link_libraries(tabrelo-report PRIVATE tabrelo_study tabrelo_session)
