// Forced into every source of the Windows program (-include). The C++ library
// declares its std::string and std::wstring members extern, to be taken from its
// own copy, which comes whole: about 35 KB for each string type, used or not. With
// the declarations off, each member the program uses is compiled with it and the
// linker keeps only those.
#pragma once

#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
