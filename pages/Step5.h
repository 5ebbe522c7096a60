// The finish page of the wizard.
#pragma once

#include "platform/afx.h"
#include "res/resource.h"

class CStep5 : public CPropertyPage {
public:
    CStep5();
};
