# The settings store: appConfig.xml as a document (XMLParser, XMLNode, gAppConfig) and its root
# attributes (RootSettings), read by every room above it.
target_sources(rova_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RootSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XMLParser.cpp
)
