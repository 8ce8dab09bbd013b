# Radar operation: run control, detection sink, detection results, result file, parameter dialog.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AlgorithmChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoStart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectionPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectionSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameDelivery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlaybackReview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordedFileTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkEventLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Retention.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RetentionFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RetentionKeeper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WriteStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoneMarks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoneRecorder.cpp
)
