# Toolkit, language tables and image button.
add_library(qb_testforms STATIC ${CMAKE_CURRENT_LIST_DIR}/unit/ui/TestForms.cpp)
target_link_libraries(qb_testforms PUBLIC qb_multilan qb_ui)
qb_add_test(test_multilan
            unit/ui/MultiLanTest.cpp unit/ui/ApplyLanguageTest.cpp unit/ui/LanguageFileTest.cpp
            LIBS qb_testforms qb_testsupport)
qb_add_test(test_toolkit unit/ui/ToolkitTest.cpp unit/ui/ImageButtonTest.cpp LIBS qb_widgets)
