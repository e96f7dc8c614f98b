# The threaded timer and the MP3 playback pieces.
qb_add_test(test_timer unit/ThreadedTimerTest.cpp LIBS qb_timer)
if(WIN32)
  qb_add_test(test_timer_win unit/ThreadedTimerWinTest.cpp LIBS qb_timer)
endif()

# The decoder library's stream logic, with committed lame-made fixtures.
if(WIN32)
  set(QB_SOUND_FIXTURES Z:${PROJECT_SOURCE_DIR}/tests/fixtures/sound)
else()
  set(QB_SOUND_FIXTURES ${PROJECT_SOURCE_DIR}/tests/fixtures/sound)
endif()
qb_add_test(test_mpeg_stream unit/Mp3StreamTest.cpp unit/Mp3PlayerTest.cpp LIBS qb_mpeg_core qb_testsupport)
target_compile_definitions(test_mpeg_stream PRIVATE QB_SOUND_FIXTURES="${QB_SOUND_FIXTURES}")

qb_add_test(test_mpeg_player unit/MPEGPlayerTest.cpp LIBS qb_shared_player qb_testsupport)
if(WIN32)
  qb_add_test(test_mpeg_player_win unit/MPEGPlayerWinTest.cpp LIBS qb_mpeg_player qb_testsupport)
  target_compile_definitions(test_mpeg_player_win PRIVATE QB_SOUND_FIXTURES="${QB_SOUND_FIXTURES}"
                             QB_MPEG_DLL_DIR="Z:${QB_DIST_DIR}")
  add_dependencies(test_mpeg_player_win QbMpegDll)
endif()
