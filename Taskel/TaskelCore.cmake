# Sources of taskel_core (linked by the DLL and by the tests).
set(TASKEL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TaskelCorePlaceholder.cpp
)
# Sources that only the DLL compiles (COM entry points that need the
# application object).
set(TASKEL_DLL_EXTRA_SOURCES
)
