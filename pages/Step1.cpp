#include "pages/Step1.h"

CStep1::CStep1() : CPropertyPage(IDD_STEP1) {}
