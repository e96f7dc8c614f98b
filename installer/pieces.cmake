# The pieces a built setup package is made of, laid out in dist/build/ where
# the editor's build command looks for them: the setup stub, the (empty)
# second installer piece, the uninstaller, the screensaver itself and the
# language file.
add_library(qb_installer_win STATIC
  win/Registration.cpp win/SetupTexts.cpp win/WinText.cpp win/Arguments.cpp win/SetupWindow.cpp)
target_link_libraries(qb_installer_win PUBLIC qb_installer qb_platform_win advapi32 shell32 comctl32 ole32 user32 gdi32)

set(QB_PIECES_DIR ${QB_DIST_DIR}/build)
foreach(program setup uninstall)
  set(target qb${program})
  if(program STREQUAL "setup")
    add_executable(${target} WIN32 win/SetupMain.cpp)
  else()
    add_executable(${target} WIN32 win/UninstallMain.cpp)
  endif()
  target_link_libraries(${target} PRIVATE qb_installer_win)
  # Every package carries these programs: keep them small.
  target_link_options(${target} PRIVATE -s)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installer-bin)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QB_PIECES_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${QB_PIECES_DIR}/${program}.pak)
endforeach()

# The stub needs nothing besides itself, but the package keeps its place.
add_custom_command(
  OUTPUT ${QB_PIECES_DIR}/install.pak
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QB_PIECES_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${QB_PIECES_DIR}/install.pak)
# The screensaver a package installs is the whole program.
add_custom_command(
  OUTPUT ${QB_PIECES_DIR}/saver.pak
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QB_PIECES_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quenbrook> ${QB_PIECES_DIR}/saver.pak
  DEPENDS quenbrook)
add_custom_command(
  OUTPUT ${QB_PIECES_DIR}/language.dat
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QB_PIECES_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/Language.ini ${QB_PIECES_DIR}/language.dat
  DEPENDS ${PROJECT_SOURCE_DIR}/data/Language.ini)
add_custom_target(installer_pieces ALL
  DEPENDS ${QB_PIECES_DIR}/install.pak ${QB_PIECES_DIR}/saver.pak ${QB_PIECES_DIR}/language.dat qbsetup qbuninstall)
