#pragma once
#include "support/testutil.h"

using testutil::testApp;
