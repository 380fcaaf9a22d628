// A family of Tcl commands as a table of names and procedures.
#pragma once

#include <tcl.h>

#include <initializer_list>

namespace support {

struct NamedCommand {
    const char* name;
    Tcl_ObjCmdProc* procedure;
};

inline void createCommands(Tcl_Interp* interp, std::initializer_list<NamedCommand> commands) {
    for (const NamedCommand& command : commands) {
        Tcl_CreateObjCommand(interp, command.name, command.procedure, nullptr, nullptr);
    }
}

}  // namespace support
