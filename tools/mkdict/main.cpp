#include <iostream>

#include "mkdict.h"

int main(int argc, char** argv) {
  return lexfray::mkdict::RunMkdict(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
