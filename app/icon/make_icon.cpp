// make_icon: writes the program's icon file. Run through the build target
// vantrel_icon, which puts it at app/vantrel.ico.

#include <fstream>
#include <iostream>

#include "app/icon/icon_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_icon FILE.ico\n";
    return 2;
  }
  const std::vector<unsigned char> bytes = vantrel::app::icon::iconFileBytes();
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::cerr << "make_icon: cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
