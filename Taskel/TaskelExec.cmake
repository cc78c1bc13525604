# The execution engine: path objects, expansion and matching, targets and
# the rename pattern.
list(APPEND TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/RenamePattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecSpecs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecMatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelExecTargets.cpp
)
# The engine's trace levels and message pump live in taskel_entry; the core
# gets that link once both libraries exist (at the end of this directory).
cmake_language(DEFER CALL target_link_libraries taskel_core PUBLIC taskel_entry)
