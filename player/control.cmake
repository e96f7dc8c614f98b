# The Flash control: a child window over the movie engine (Windows only);
# its input routing is portable and tested natively.
if(WIN32)
  add_library(qb_flash_control STATIC ShockwaveFlash.cpp WaveOutput.cpp AcmMp3Codec.cpp GdiFontHost.cpp)
  target_include_directories(qb_flash_control PUBLIC ${PROJECT_SOURCE_DIR})
  # The movies' sound reuses the decoder library's wave output and codec.
  target_link_libraries(qb_flash_control PUBLIC qb_flash qb_mpeg_win user32 gdi32)
endif()
