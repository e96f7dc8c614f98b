target_sources(qb_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GdiCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WinPeer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WinApp.cpp)
target_link_libraries(qb_ui PUBLIC user32 gdi32 comctl32 comdlg32 msimg32)
