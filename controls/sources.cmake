# Sources of the console's controls/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ASkinButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorStatic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InterfaceFont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LabelLineLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnedBitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BalloonModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BalloonWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DigitalEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DigitalEditLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyedRegion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimelineBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimelineModel.cpp
)
