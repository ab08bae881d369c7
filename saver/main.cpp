#include "SaverMain.h"

int main(int argc, char** argv) { return kdx::saver::RunSaver(argc, argv); }
