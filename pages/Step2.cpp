#include "pages/Step2.h"

CStep2::CStep2() : CPropertyPage(IDD_STEP2) {}
