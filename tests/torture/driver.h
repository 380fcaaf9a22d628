// Runs the generator's steps on the headless host: the in-process torture
// (seeded) and the script fuzz target (the fuzzer's bytes) drive it alike.
#pragma once

#include <climits>
#include <ostream>

#include "tests/torture/generator.h"

namespace torture {

// A new host with the generator's procedures, no call recording, and message
// boxes that deliver what a modal loop may deliver while it is up.
bool startHost();
// The generator that steps and modal-loop events draw from (nullptr: modal
// loops deliver nothing), and how many events the modal loops may deliver.
void drive(Generator* generator, int events = INT_MAX);
// The next step: a script, a command or key message, a resize, or dialog
// answers queued; logged as a line. A script's Tcl code, else -1.
int runStep(std::ostream& log);

}  // namespace torture
