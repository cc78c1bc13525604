# The execution engine: path objects, expansion and matching, targets and
# the rename pattern.
list(APPEND TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/RenamePattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecSpecs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecMatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecTargets.cpp
)
