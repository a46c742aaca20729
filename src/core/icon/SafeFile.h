#pragma once
// Moved to io/; kept until every includer follows.
#include "io/SafeFile.h"
