// Pools and the pool list: the containers every parameter and result travels in.
#pragma once

#include "pools/BasePool.h"
#include "pools/BufferPool.h"
#include "pools/ConditionPools.h"
#include "pools/DataPool.h"
#include "pools/ListPools.h"
#include "pools/PoolErrors.h"
#include "pools/PoolList.h"
#include "pools/TextPools.h"
