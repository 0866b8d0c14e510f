// Program entry: application title, the windows and the message loop.
#include "app/application.h"
#include "app/tfrmmain.h"

int main(int argc, char** argv) {
  ZoveduApplication app(argc, argv);
  return RunProgram(app);
}
