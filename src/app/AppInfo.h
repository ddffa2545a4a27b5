#pragma once

// The product name and version live with the information window in tools, so
// the logic library (update check, command line) can use them too.
#include "tools/Version.h"
