// Included before everything else. Wine's winnt.h defines _InterlockedCompareExchange128 as a
// function, which is a compiler builtin when compiling for Microsoft's ABI: give Wine's
// definition another name so the builtin stays what the code calls.
#pragma once
#define _InterlockedCompareExchange128 _TavikWineInterlockedCompareExchange128
#ifdef __i386__
// On x86 Wine's winnt.h defines the 64-bit and pointer interlocked functions inline, under the
// names of compiler builtins: the same renaming.
#define _InterlockedAnd64 _TavikWineInterlockedAnd64
#define _InterlockedCompareExchangePointer _TavikWineInterlockedCompareExchangePointer
#define _InterlockedDecrement64 _TavikWineInterlockedDecrement64
#define _InterlockedExchangeAdd64 _TavikWineInterlockedExchangeAdd64
#define _InterlockedExchangePointer _TavikWineInterlockedExchangePointer
#define _InterlockedIncrement64 _TavikWineInterlockedIncrement64
#define _InterlockedOr64 _TavikWineInterlockedOr64
#define _InterlockedXor64 _TavikWineInterlockedXor64
#endif
