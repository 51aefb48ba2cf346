// The business-object frame: business object and operator list, operator base
// with its pools, and the data-retrieval and help operators.
#pragma once

#include "business/BaseOperater.h"
#include "business/BusinessObject.h"
#include "business/BusinessOperaterList.h"
#include "business/GetDataOperater.h"
#include "business/HelpOperater.h"
#include "business/OperaterPools.h"
