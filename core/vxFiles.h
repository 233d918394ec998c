// TvxFiles, the library's file and folder class: one namespace of stateless
// functions, split by area into the headers included here.
#pragma once

#include "core/vxFilesContent.h"
#include "core/vxFilesCopy.h"
#include "core/vxFilesDates.h"
#include "core/vxFilesLists.h"
#include "core/vxFilesPaths.h"
#include "core/vxFilesZip.h"
