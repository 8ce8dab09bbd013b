# Application shell: startup, main dialog frame.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AutoStartWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConsoleLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CrashReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainRunWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoticeDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlaybackReviewWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PolygonCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProductVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ROVAMTTApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ROVAMTTDlg.cpp
)
