// The series and model page of the wizard.
#pragma once

#include "platform/afx.h"
#include "res/resource.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();
};
