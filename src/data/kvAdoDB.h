// The connection and query wrappers the data controller runs on.
#pragma once

#include "data/ConnectionStrings.h"
#include "data/KvAdoConnection.h"
#include "data/KvAdoQuery.h"
