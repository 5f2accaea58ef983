#pragma once
// One host as every list holds it, and the host status codes.
//
// The status is also the index of the row's icon. A record is owned by exactly
// one list at a time; its HostName is the record's key and does not change
// while the record is in a list (the lists index it).

#include "core/DateTime.h"

#include <cstdint>
#include <string>

namespace quillon::core {

enum HostStatus : std::int32_t {
    StatusWaiting = 0,  // not verified, in the Wait list
    StatusSaved = 1,    // verified and written into the hosts file
    StatusVisited = 2,  // saved, and visited again in this run
    StatusVerified = 3, // verified, not yet written into the hosts file
};

// True for the four codes above; stored files can carry others.
inline bool isValidStatus(std::int32_t s) { return s >= StatusWaiting && s <= StatusVerified; }

struct TRecHost {
    std::string HostName;
    std::string IP;    // dotted IPv4 text, empty when there is none
    std::string Alias; // further names separated by single spaces; never holds "#"
    TDateTime Date = 0; // last successful verification, 0 = never
    std::int32_t Freq = 0; // runs of the program in which the host was visited
    std::int32_t Status = StatusWaiting;
    std::int32_t Visited = 0; // 1 once counted as visited in this run; never stored
    // Where the list holding the record keeps it (see RowSlots); the lists'
    // own bookkeeping, never stored and meaningless outside a list.
    std::uint32_t ListSlot = 0;
};

} // namespace quillon::core
