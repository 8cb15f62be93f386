// UI scenarios: data file.
#include "program_fixture_win.h"
