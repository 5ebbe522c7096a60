// Entry point of the Windows program: the framework's start-up.
#include "platform/afx.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return AfxRunApplication(instance); }
