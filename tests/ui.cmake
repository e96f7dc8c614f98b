# Toolkit, language tables and image button.
add_library(qb_testforms STATIC ${CMAKE_CURRENT_LIST_DIR}/unit/ui/TestForms.cpp)
target_link_libraries(qb_testforms PUBLIC qb_multilan qb_ui)
qb_add_test(test_multilan
            unit/ui/MultiLanTest.cpp unit/ui/ApplyLanguageTest.cpp unit/ui/LanguageFileTest.cpp
            unit/ui/ShippedLanguageTest.cpp
            LIBS qb_testforms qb_testsupport)
# Under wine a Unix path is not absolute; drive Z: is the Unix root.
if(WIN32)
  target_compile_definitions(test_multilan PRIVATE QB_LANGUAGE_INI="Z:${PROJECT_SOURCE_DIR}/data/Language.ini")
else()
  target_compile_definitions(test_multilan PRIVATE QB_LANGUAGE_INI="${PROJECT_SOURCE_DIR}/data/Language.ini")
endif()
qb_add_test(test_toolkit unit/ui/ToolkitTest.cpp unit/ui/ImageButtonTest.cpp unit/ui/ColorButtonTest.cpp LIBS qb_widgets)
if(WIN32)
  qb_add_test(test_toolkit_win unit/ui/WinToolkitTest.cpp LIBS qb_widgets qb_images)
endif()
