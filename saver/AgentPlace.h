#pragma once
#include <string>
#include <vector>

namespace kdx::saver {

// Whether the companion may open the settings store: with "InstalledPath" stored, or, when it
// is not, only where the agent (AgentProgram) lies beside the companion, since the store then
// stores the companion's folder as the agent's, which is right only there. A companion kept
// elsewhere (the Windows system folder) before the agent ever ran finds no lists, and leaves
// "InstalledPath" for the agent to write.
bool SettingsKnown(const std::string& agentProgram);

// Where the agent may be, in this order: beside the companion, then in the folder that
// "InstalledPath" names (the agent's own folder where the agent can write there, as on
// Windows). Only names of files that exist.
std::vector<std::string> AgentCandidates(const std::string& agentProgram);

} // namespace kdx::saver
