/* The copy of OBS Classic built here lacks libsamplerate's table for its best-quality converter.
   OBS Classic asks only for the fastest one; the best quality falls back to the medium table. */
#pragma once
#define slow_high_qual_coeffs slow_mid_qual_coeffs
