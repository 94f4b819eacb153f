// Wine's rpcndr.h drops the interface id that Microsoft's gives every COM interface, which
// Microsoft's __uuidof reads (clang's too, in this mode): give it back.
#pragma once
#include_next <rpcndr.h>
#undef DECLSPEC_UUID
#define DECLSPEC_UUID(x) __declspec(uuid(x))
#undef MIDL_INTERFACE
#define MIDL_INTERFACE(x) struct __declspec(uuid(x)) __declspec(novtable)
