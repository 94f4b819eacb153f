// OBS Classic names this header as Microsoft's SDK spells it; Wine's is lower case.
#pragma once
#include <audioclient.h>
