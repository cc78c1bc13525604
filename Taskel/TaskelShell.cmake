# Shell integration: registration, the info-tip and property-sheet handlers
# (core, so tests link them), and the self-registration entry points with
# the handlers' class objects (DLL only).
list(APPEND TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelRegister.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelInfoTip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskelProp.cpp
)
list(APPEND TASKEL_DLL_EXTRA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelRegisterServer.cpp
)
