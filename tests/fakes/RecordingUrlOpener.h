#pragma once
// The desktop's page handler, recording what it was given.

#include "platform/UrlOpener.h"

#include <string>
#include <vector>

namespace quillon::test {

class RecordingUrlOpener final : public platform::UrlOpener {
public:
    void open(const std::string& urlOrPath) override { opened.push_back(urlOrPath); }
    std::vector<std::string> opened;
};

} // namespace quillon::test
