// Start-up, the main event loop and the dispatch of events to handlers.
#pragma once

#include <cstdint>

namespace app {

// The pending delayed rebuild of the name pattern field.
struct DelayedRebuild {
    bool armed = false;   // a rebuild is pending
    uint32_t since = 0;   // tick of the last accepted change
};
extern DelayedRebuild NeuAufbauenAb;

// Milliseconds the pattern field waits after its last accepted change;
// the rebuild runs only when strictly more have passed.
constexpr uint32_t PatternDelayMs = 1500;

void Hauptschleife();
void MenueEreignis();
void ElementEreignis();
// Runs the delayed rebuild when it is armed and due.
void runDueRebuild();

// Appends this start's line to the start log, without any message.
void writeStartLog();

// The whole program: start-up, loop, settings save; returns the exit code.
int runProgram();

}  // namespace app
