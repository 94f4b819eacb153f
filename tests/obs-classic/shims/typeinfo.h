// Microsoft's old <typeinfo.h>: the C++ header under its C name.
#pragma once
#include <typeinfo>
