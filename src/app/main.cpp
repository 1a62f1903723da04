// qb4160-eval: the QB4160 evaluation program (windows, or a headless command).
#include <cstdio>
#include <iostream>

#include <unistd.h>

#include "app/Entry.h"

int main(int argc, char** argv) {
    return qb::app::RunProgram(argc, argv, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
}
