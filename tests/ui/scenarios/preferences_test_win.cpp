// UI scenarios: preferences.
#include "program_fixture_win.h"
