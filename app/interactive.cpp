// Interactive mode: the menu over the game's save folder.
#include "app/program.h"
#include "platform/console.h"

void run_interactive() {
  print_out(L"The interactive menu is not built yet; give a folder to repair.\n");
}
