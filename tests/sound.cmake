# The threaded timer and the MP3 playback pieces.
qb_add_test(test_timer unit/ThreadedTimerTest.cpp LIBS qb_timer)
if(WIN32)
  qb_add_test(test_timer_win unit/ThreadedTimerWinTest.cpp LIBS qb_timer)
endif()
