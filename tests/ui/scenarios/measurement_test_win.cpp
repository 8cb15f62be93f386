// UI scenarios: measurement.
#include "program_fixture_win.h"
