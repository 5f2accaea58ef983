#pragma once
// The three pages of the main window and the list each one shows. The page
// index is also the tab index: 0 the Hosts list, 1 the Wait list, 2 the Trash.

namespace quillon::core {

enum class ListPage : int { Hosts = 0, Wait = 1, Trash = 2 };

inline int pageIndex(ListPage page) { return static_cast<int>(page); }
inline ListPage pageFromIndex(int index)
{
    return index == 1 ? ListPage::Wait : index == 2 ? ListPage::Trash : ListPage::Hosts;
}

} // namespace quillon::core
