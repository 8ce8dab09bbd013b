# Radar operation: detection pipeline, result file, parameter dialog.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AlgorithmChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectionPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultFile.cpp
)
