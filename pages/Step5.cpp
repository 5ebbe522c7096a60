#include "pages/Step5.h"

CStep5::CStep5() : CPropertyPage(IDD_STEP5) {}
