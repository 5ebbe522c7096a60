#include "pages/Step3.h"

CStep3::CStep3() : CPropertyPage(IDD_STEP3) {}
