// zavel-setup: the setup engine that carries out ZAVEL's setup-information file (see
// setup_run.h for its command line).
#include <iostream>
#include <string>
#include <vector>

#include "install/setup/setup_run.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zavel::setup::RunSetup(arguments, std::cerr);
}
