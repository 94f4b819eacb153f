// Included before everything else. Wine's winnt.h defines _InterlockedCompareExchange128 as a
// function, which is a compiler builtin when compiling for Microsoft's ABI: give Wine's
// definition another name so the builtin stays what the code calls.
#pragma once
#define _InterlockedCompareExchange128 _TavikWineInterlockedCompareExchange128
