# The run flow: the run's trace log, command files loaded and written whole,
# and the flow that runs one command file of a run request.
list(APPEND TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelRunLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelCommandFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelRunFlow.cpp
)
