# Sources of taskel_core (linked by the DLL and by the tests).
set(TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelFileStorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelClassPersist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelClassDispatch.cpp
)
# Sources that only the DLL compiles (COM entry points that need the
# application object).
set(TASKEL_DLL_EXTRA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelServer.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/TaskelExec.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/TaskelRunner.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/TaskelShell.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/TaskelFlow.cmake)
