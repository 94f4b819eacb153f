// Wine 8's ws2tcpip.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <ws2tcpip.h>
#ifndef idealsendbacklogquery
static inline int idealsendbacklogquery(SOCKET s, ULONG* backlog) {
    DWORD bytes;
    return WSAIoctl(s, SIO_IDEAL_SEND_BACKLOG_QUERY, NULL, 0, backlog, sizeof(*backlog), &bytes, NULL, NULL);
}
static inline int idealsendbacklognotify(SOCKET s, LPWSAOVERLAPPED overlapped,
                                         LPWSAOVERLAPPED_COMPLETION_ROUTINE completion) {
    DWORD bytes;
    return WSAIoctl(s, SIO_IDEAL_SEND_BACKLOG_CHANGE, NULL, 0, NULL, 0, &bytes, overlapped, completion);
}
#endif
