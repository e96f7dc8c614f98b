# The threaded timer and the MP3 playback component.
add_library(qb_timer STATIC ${CMAKE_CURRENT_LIST_DIR}/ThreadedTimer.cpp)
target_include_directories(qb_timer PUBLIC ${PROJECT_SOURCE_DIR})
if(WIN32)
  target_sources(qb_timer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TimerThreadWin.cpp)
  target_link_libraries(qb_timer PUBLIC user32)
endif()

add_library(qb_mpeg_player STATIC ${CMAKE_CURRENT_LIST_DIR}/MPEGPlayer.cpp ${CMAKE_CURRENT_LIST_DIR}/MPEGError.cpp)
target_include_directories(qb_mpeg_player PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qb_mpeg_player PUBLIC qb_timer)
if(WIN32)
  target_sources(qb_mpeg_player PRIVATE ${CMAKE_CURRENT_LIST_DIR}/LibraryModuleWin.cpp)
endif()
