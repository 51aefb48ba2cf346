// The data controller and the condition predicate text. The global parameters,
// a pool that owns the data controller, live one floor up (pools/GlobleParams.h).
#pragma once

#include "data/ConditionSQL.h"
#include "data/DataController.h"
