// The property metadata of business objects: the property type and its
// letters, one property's metadata, the property list of an object, the
// object's help record, and the reader that decodes metadata files.
#pragma once

#include "config/ObjectHelp.h"
#include "config/PropertyInfo.h"
#include "config/PropertyInfoList.h"
#include "config/PropertyType.h"
#include "config/XmlFileText.h"
