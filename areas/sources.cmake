# Sources of the console's areas/ folder, compiled into rova_console.
target_sources(rova_console PRIVATE
)
