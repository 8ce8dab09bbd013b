# Sources of the console's radar/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
)
