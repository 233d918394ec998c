// The registry's store as one include: the shared types
// (platform/registry/vxRegTypes.h), the key tree (vxRegKeyTree.h), the text
// format (vxRegText.h) and the locked store of a root's file (vxRegStore.h).
#pragma once

#include "platform/registry/vxRegKeyTree.h"
#include "platform/registry/vxRegStore.h"
#include "platform/registry/vxRegText.h"
#include "platform/registry/vxRegTypes.h"
