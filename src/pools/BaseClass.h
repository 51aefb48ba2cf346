// Pools and the pool list: the containers every parameter and result travels in.
#pragma once

#include "pools/BasePool.h"
#include "pools/PoolErrors.h"
#include "pools/PoolList.h"
