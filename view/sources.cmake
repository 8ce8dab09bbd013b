# Sources of the console's view/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
)
