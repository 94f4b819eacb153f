// Microsoft's SDK header of device property keys, which Wine's headers lack: the one key OBS
// Classic reads, a device's friendly name.
#pragma once
#include <propsys.h>
#ifndef PKEY_Device_FriendlyName
static const PROPERTYKEY PKEY_Device_FriendlyName = {
    {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};
#endif
