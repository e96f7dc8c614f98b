# Filled in as this part of the program grows.
# Engine tests: timelines, scripts, pictures, playback. Built for both
# targets; the control's window test is Windows only.
qb_add_test(test_flash
            unit/flash/TimelineTest.cpp unit/flash/ActionsTest.cpp unit/flash/PlaybackTest.cpp
            unit/flash/TextTest.cpp unit/flash/TextLayoutTest.cpp unit/flash/EditTextTest.cpp unit/flash/DeviceFontTest.cpp unit/flash/GlyphCacheTest.cpp
            unit/flash/BitmapTest.cpp unit/flash/SoundTest.cpp unit/flash/SoundMovieTest.cpp
            unit/flash/BlendTest.cpp unit/flash/GradientSpanTest.cpp unit/flash/BitmapSpanTest.cpp unit/flash/RasterizerTest.cpp unit/flash/StrokerTest.cpp unit/flash/MaskTest.cpp unit/flash/BackdropTest.cpp
            LIBS qb_flash qb_player_files qb_testsupport)
target_sources(test_flash PRIVATE unit/flash/GoldenTest.cpp)
if(WIN32)
  target_compile_definitions(test_flash PRIVATE QB_GOLDEN_DIR="Z:${CMAKE_CURRENT_SOURCE_DIR}/golden")
else()
  target_compile_definitions(test_flash PRIVATE QB_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden")
endif()
target_compile_options(test_flash PRIVATE -Wno-missing-field-initializers)  # designated initializers leave the rest default on purpose
if(WIN32)
  # Needs a display: a real child window under the window system.
  qb_add_test(test_flash_control unit/flash/FlashControlTest.cpp LIBS qb_flash_control qb_testsupport)
  target_compile_options(test_flash_control PRIVATE -Wno-missing-field-initializers)
  # The movies' sound through the system: MP3 codec and wave output.
  qb_add_test(test_flash_sound_win unit/flash/SystemAudioTest.cpp LIBS qb_flash_control qb_testsupport)
  target_compile_definitions(test_flash_sound_win PRIVATE QB_SOUND_FIXTURES="Z:${PROJECT_SOURCE_DIR}/tests/fixtures/sound")
  # Text in device fonts through the system's fonts.
  qb_add_test(test_flash_fonts_win unit/flash/SystemFontsTest.cpp LIBS qb_flash_control)
endif()
