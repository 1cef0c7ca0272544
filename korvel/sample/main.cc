#include <iostream>
#include <string>
#include <vector>

#include "korvel/sample/command_line.h"

int main(int argc, char** argv) {
  return korvel_sample::RunSampleCommand(std::vector<std::string>(argv + 1, argv + argc),
                                         std::cout, std::cerr);
}
