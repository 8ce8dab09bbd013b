# The small window framework that stands in for MFC.
target_sources(rova_framework PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AnsiText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WinApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreshName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceLoader.cpp
)
