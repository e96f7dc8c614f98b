# The movie engine on generated animations at 1920 x 1080.
add_executable(bench_flash ${CMAKE_CURRENT_LIST_DIR}/FlashBench.cpp)
target_link_libraries(bench_flash PRIVATE qb_flash qb_testsupport)
target_compile_options(bench_flash PRIVATE -Wno-missing-field-initializers)
