#pragma once
// Everything a plugin may use of the host library.
#include "host/Alloc.h"
#include "host/Graphics.h"
#include "host/ImageSource.h"
#include "host/Platform.h"
#include "host/Services.h"
#include "host/String.h"
#include "host/XElement.h"
