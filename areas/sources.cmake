# Sources of the console's areas/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AreaConfigStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AreaMonitorDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AreaOverlayController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectBound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PresenceTick.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialLightCtrl_YSL.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialLightPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LightKeeper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignalLight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AreaOperations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewOverlayAdapter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoneClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoneEventLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoneTracker.cpp
)
