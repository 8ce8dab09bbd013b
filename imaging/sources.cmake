# The Gdiplus_ image helpers, an object library linked straight into the exe so its exports stay.
target_sources(rova_imaging PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GdipBitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GdipGraphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageCreation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageDrawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImagePixels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImagingSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LockedBits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegionBuilder.cpp
)
