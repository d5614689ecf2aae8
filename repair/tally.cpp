#include "repair/tally.h"

RepairTally repair_tally = {0, 0, 0};

void reset_tally() { repair_tally = RepairTally{0, 0, 0}; }
