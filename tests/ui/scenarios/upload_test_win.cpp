// UI scenarios: upload.
#include "program_fixture_win.h"
