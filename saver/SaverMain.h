#pragma once

namespace kdx::saver {

// The companion screensaver: reads the Windows screensaver switches and runs, previews, or
// sends the user to the agent's settings. The exit code is 0 unless the command line is wrong.
int RunSaver(int argc, char** argv);

} // namespace kdx::saver
