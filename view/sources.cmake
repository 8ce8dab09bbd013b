# Sources of the console's view/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AreaMapBuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkerImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RectUnion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ObjectSectorWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SectorGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SectorGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SectorScene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TargetTrack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrackLineRaster.cpp
)
# The track-line rasteriser repeats the common library's floating-point steps lane by lane and
# must give the same values: no product may be fused into an addition, whatever the target.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/TrackLineRaster.cpp PROPERTIES COMPILE_OPTIONS -ffp-contract=off)
