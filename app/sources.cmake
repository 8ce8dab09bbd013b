# Application shell: startup, settings store, main dialog frame.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/LinkWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PolygonCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ROVAMTTApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ROVAMTTDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RootSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XMLParser.cpp
)
