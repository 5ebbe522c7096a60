// The port page of the wizard.
#pragma once

#include "platform/afx.h"
#include "res/resource.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();
};
