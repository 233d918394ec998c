// The data set of the family's database code: the platform's data set with its
// field definitions made by the inherited behaviour unchanged.
#pragma once

#include "platform/data/vxDataSet.h"

class TvxADODataSet : public TADODataSet {
 protected:
  void InitFieldDefs() override { TADODataSet::InitFieldDefs(); }
};
