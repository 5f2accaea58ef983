#pragma once
// Pages and addresses handed to the desktop's default handler
// (QDesktopServices); a local path is opened as a file URL.

#include "platform/UrlOpener.h"

namespace quillon::ui {

class DesktopUrlOpener final : public platform::UrlOpener {
public:
    void open(const std::string& urlOrPath) override;
};

} // namespace quillon::ui
