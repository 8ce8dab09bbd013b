# Sources of the console's controls/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
)
