#pragma once
// Names and addresses from the lists as the views show them: the bytes in
// the system's encoding, with every invisible or direction-changing
// character written out ("\u202E"), so that a view shows what a name holds
// and a name can never reorder or hide the text beside it.

#include "core/HostName.h"

#include <QString>

#include <string_view>

namespace quillon::ui {

inline QString shownText(std::string_view bytes)
{
    const std::string escaped = core::escapeInvisibleCharacters(bytes);
    return QString::fromLocal8Bit(escaped.data(), static_cast<qsizetype>(escaped.size()));
}

} // namespace quillon::ui
