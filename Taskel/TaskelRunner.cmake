# The operation runner, its tray icon holder and the tray animations, which
# tools/make_ani.py draws at build time into the build folder; Taskel.rc
# takes them in through TaskelIcons.rc.
list(APPEND TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecListing.cpp
)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TASKEL_ICON_DIR ${CMAKE_BINARY_DIR}/icons CACHE INTERNAL "Generated tray animations")
set(TASKEL_ICON_FILES)
foreach(icon 201_copy_color 202_copy_16 203_delete_color 204_delete_16 205_working_color
             206_working_16 207_move_color 208_move_16 209_rename_color 210_rename_16
             211_prepare_color 212_prepare_16)
  list(APPEND TASKEL_ICON_FILES ${TASKEL_ICON_DIR}/${icon}.ani)
endforeach()
add_custom_command(OUTPUT ${TASKEL_ICON_FILES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_ani.py ${TASKEL_ICON_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_ani.py
  COMMENT "Drawing the tray animations"
  VERBATIM)
add_custom_target(taskel_icons DEPENDS ${TASKEL_ICON_FILES})

# A resource script that includes TaskelIcons.rc finds the animations.
function(taskel_use_icons rc)
  set_property(SOURCE ${rc} APPEND PROPERTY INCLUDE_DIRECTORIES ${TASKEL_ICON_DIR} ${CMAKE_SOURCE_DIR}/Taskel)
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${TASKEL_ICON_FILES} ${CMAKE_SOURCE_DIR}/Taskel/TaskelIcons.rc)
endfunction()
taskel_use_icons(${CMAKE_CURRENT_LIST_DIR}/Taskel.rc)

function(taskel_runner_targets)
  target_link_libraries(taskel_core PUBLIC uikit uxtheme winmm)
  add_dependencies(Taskel taskel_icons)
endfunction()
cmake_language(DEFER CALL taskel_runner_targets)
