// State of the menu commands, for tests that look inside.
#pragma once

#include "platform/platform.h"

namespace commands {

// The menu that item commands insert into, or 0.
platform::MenuHandle menuUnderConstruction();
int nextCommandId();

}  // namespace commands
