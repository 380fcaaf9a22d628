# The files every platform folder has, one a concern, each implementing the
# platform.h calls of its concern: process (and notices), windows, messages
# (the loop), menus, keys (and accelerator tables), dialogs. A platform adds
# files of its own beside them.
set(vesk_platform_concerns
  dialogs.cpp
  keys.cpp
  menus.cpp
  messages.cpp
  process.cpp
  windows.cpp
)
