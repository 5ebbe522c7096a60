// The welcome page of the wizard.
#pragma once

#include "platform/afx.h"
#include "res/resource.h"

class CStep1 : public CPropertyPage {
public:
    CStep1();
};
