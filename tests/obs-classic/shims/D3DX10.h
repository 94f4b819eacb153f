// OBS Classic includes <D3DX10.h>. Wine 8's d3dx10.h includes d3dx10async.h, which declares its
// functions without C linkage when included from C++: d3dx10.h is read without it, then it is
// read inside extern "C" (its own include of d3dx10.h is then spent).
#pragma once
#define __D3DX10ASYNC_H__
#include <d3dx10.h>
#undef __D3DX10ASYNC_H__
#ifdef __cplusplus
extern "C" {
#endif
#include <d3dx10async.h>
#ifdef __cplusplus
}
#endif
