// The data controller, the global parameters and the condition predicate text.
#pragma once

#include "data/ConditionSQL.h"
#include "data/DataController.h"
#include "data/GlobleParams.h"
