// Helpers for tests that download: the proxy guard of support/ProxyEnvironment.h (nothing may
// leave 127.0.0.1).
#pragma once

#include "support/ProxyEnvironment.h"
