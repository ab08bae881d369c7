#include "AgentMain.h"

int main(int argc, char** argv) { return kdx::RunAgent(argc, argv); }
