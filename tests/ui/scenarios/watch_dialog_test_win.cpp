// UI scenarios: watch dialog.
#include "program_fixture_win.h"
