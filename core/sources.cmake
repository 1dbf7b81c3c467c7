# The game's core: the reel rules and generator, the tick, the placement
# arithmetic, the settings text, the packed-DIB reader. Freestanding (no C
# library, no exceptions, no virtual calls), so every front end builds the
# same sources: muslot.exe for i686 and x86_64, the page for wasm32, and the
# host's unit tests under the sanitizers. Paths from the source root.
set(MUSLOT_CORE_SOURCES
    core/reel_bank.cpp
    core/tick.cpp
    core/placement.cpp
    core/settings_text.cpp
    core/settings_format.cpp
    core/dib.cpp)
