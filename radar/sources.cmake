# Radar operation: device detection, run control, detection results, result file, playback,
# parameter dialog.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AlgorithmChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectionPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectionResults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceDetection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkEventLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Playback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunControl.cpp
)
