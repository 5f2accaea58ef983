#pragma once
// Sorting a list by one of the six columns. The order is the one a classic
// quicksort (middle pivot, Hoare partition) gives, equal keys included, and
// a descending sort is the exact reverse of the ascending one: people see
// where equal rows land, so the algorithm is part of the behaviour.

#include "core/App.h"
#include "core/HostRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

enum class SortKey { Status = 0, HostName = 1, Alias = 2, IP = 3, Date = 4, Freq = 5 };
enum class SortDirection { Ascending, Descending, Toggle };

// Twelve digits, three per octet, left-padded with "0": 10.0.0.1 gives
// 010000000001; missing parts count as 000, so that text order is address
// order.
std::string AddressSortKey(std::string_view address);

// The ascending order of records by key, as the quicksort leaves it: entry
// k is the index in records of the record that goes to place k.
std::vector<std::uint32_t> quickSortOrder(const std::vector<const TRecHost*>& records, SortKey key);

// The sort command on a page's list (fewer than two rows: nothing). Toggle
// sorts descending when the first record after sorting has the same key as
// the first one before, ascending otherwise. Selections are lost.
void sortPage(App& app, ListPage page, SortKey key, SortDirection direction);

} // namespace quillon::core
