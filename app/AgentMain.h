#pragma once

namespace kdx {

// True when the first argument, and only the first, asks for the window at start: exactly
// "/nominimize" or "-nominimize".
bool ShowsWindowAtStart(int argc, const char* const* argv);

// The program: hands over to an agent that already runs, or becomes the agent and runs until
// told to end (exit code 0); or hands a command of the first argument to the running agent, or
// lists the switches, and ends (AgentCommandLine.h gives the exit codes).
int RunAgent(int argc, char** argv);

} // namespace kdx
