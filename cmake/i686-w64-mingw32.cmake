# 32-bit Windows (packages gcc-mingw-w64-i686 and g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VESK_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
