#pragma once
// All diagram objects: the base and its list, handles, vertices, the styled vertex, edges
// and adjacents.

#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/core/KXEdge.h"
